#include "link/PortList.h"

#include <algorithm>
#include <glob.h>
#include <libserialport.h>

namespace tarvola {

namespace {
void addUnique(std::vector<std::string>& ports, const std::string& name)
{
    if (ports.size() < kMaxPortsScanned && std::find(ports.begin(), ports.end(), name) == ports.end())
        ports.push_back(name);
}

// Natural order, so ttyUSB2 comes before ttyUSB10.
bool naturalLess(const std::string& a, const std::string& b)
{
    const auto split = [](const std::string& s) {
        std::size_t i = s.size();
        while (i > 0 && s[i - 1] >= '0' && s[i - 1] <= '9')
            --i;
        const std::string digits = s.substr(i);
        return std::make_pair(s.substr(0, i), digits.empty() ? -1L : std::stol(digits.substr(0, 9)));
    };
    return split(a) < split(b);
}
} // namespace

std::vector<std::string> listSerialPorts()
{
    std::vector<std::string> ports;
    sp_port** list = nullptr;
    if (sp_list_ports(&list) == SP_OK && list) {
        for (sp_port** p = list; *p; ++p)
            if (const char* name = sp_get_port_name(*p))
                addUnique(ports, name);
        sp_free_port_list(list);
    }
    for (const char* pattern : {"/dev/ttyUSB*", "/dev/ttyACM*", "/dev/ttyS*"}) {
        glob_t g{};
        if (::glob(pattern, 0, nullptr, &g) == 0) {
            std::vector<std::string> found(g.gl_pathv, g.gl_pathv + g.gl_pathc);
            std::sort(found.begin(), found.end(), naturalLess);
            for (const auto& name : found)
                addUnique(ports, name);
        }
        ::globfree(&g);
    }
    return ports;
}

} // namespace tarvola

#pragma once
// Serial ports the system offers, in search order: libserialport's list first, then the device
// names /dev/ttyUSB*, /dev/ttyACM*, /dev/ttyS* that it did not list, at most 256 in all.

#include <string>
#include <vector>

namespace tarvola {

constexpr std::size_t kMaxPortsScanned = 256;

std::vector<std::string> listSerialPorts();

} // namespace tarvola

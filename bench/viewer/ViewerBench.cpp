// tarvola-bench-viewer: how the recording viewer copes with a long recording.
//
// Writes a recording of --records records (default 36 000: an hour) in the recorder's line format,
// then measures, in a real viewer window (run it with QT_QPA_PLATFORM=offscreen on a machine without
// a display):
//   open   from openFile() until the records are loaded and the chart is drawn once (median of --opens);
//   pan    one step of a tenth of the window and its redraw, zoomed to a tenth of the recording;
//   zoom   one wheel notch in or out about a moving point and its redraw (both medians of --redraws).
// Exit status: 0 when every median meets its target (--open-target seconds, --redraw-target ms),
// 1 when not, 2 on a usage or file error.

#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

#include "monitor/CDiagFile.h"
#include "monitor/CRecordingViewer.h"

namespace {

using namespace tarvola;

const char kUsage[] = "Usage: tarvola-bench-viewer [--records N] [--opens R] [--redraws R] [--open-target SECONDS] "
                      "[--redraw-target MS]\n";

// A drive: idle, pulls and cruising, with every channel moving so no curve is a flat line.
std::array<double, kRecordFields> sampleAt(std::size_t i)
{
    const double t = static_cast<double>(i) * 0.126;
    const double load = 0.5 + 0.5 * std::sin(t / 23) * std::sin(t / 7);
    std::array<double, kRecordFields> v{};
    v[0] = t < 60 ? 2 : 3;
    v[1] = 800 + 4000 * load + 50 * std::sin(t * 3.1);
    for (std::size_t c = 0; c < 8; ++c) {
        v[2 + 2 * c] = std::round((2.5 + 10 * load + 0.2 * std::sin(t * 2 + static_cast<double>(c))) * 100) / 100;
        v[3 + 2 * c] = std::round(v[2 + 2 * c] * 1.3 * 100) / 100;
    }
    v[18] = std::round(100 + 15 * std::sin(t / 40));
    v[19] = std::round(30 + 70 * load);
    v[20] = std::round(std::min(40.0, 10 + t / 30));
    v[21] = std::round(std::min(75.0, 15 + t / 5));
    v[22] = std::round((0.45 + 0.4 * std::sin(t * 2.3)) * 10) / 10;
    v[23] = std::round((0.45 + 0.4 * std::sin(t * 1.7)) * 10) / 10;
    return v;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    std::size_t records = 36000;
    int opens = 5, redraws = 100;
    double openTarget = 0.5, redrawTargetMs = 16;
    const QStringList args = QCoreApplication::arguments();
    for (int i = 1; i < args.size(); ++i) {
        const QString arg = args[i];
        const bool hasValue = i + 1 < args.size();
        try {
            if (arg == "--records" && hasValue)
                records = std::stoul(args[++i].toStdString());
            else if (arg == "--opens" && hasValue)
                opens = std::max(1, std::stoi(args[++i].toStdString()));
            else if (arg == "--redraws" && hasValue)
                redraws = std::max(1, std::stoi(args[++i].toStdString()));
            else if (arg == "--open-target" && hasValue)
                openTarget = std::stod(args[++i].toStdString());
            else if (arg == "--redraw-target" && hasValue)
                redrawTargetMs = std::stod(args[++i].toStdString());
            else
                throw std::invalid_argument(arg.toStdString());
        } catch (const std::exception&) {
            std::cerr << kUsage;
            return 2;
        }
    }

    const auto path = std::filesystem::temp_directory_path() / ("tarvola-bench-viewer-" + std::to_string(::getpid()) + ".osc");
    {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        if (!f) {
            std::cerr << "tarvola-bench-viewer: cannot write " << path << '\n';
            return 2;
        }
        for (std::size_t i = 0; i < records; ++i) {
            const std::string line = formatRecordLine(sampleAt(i));
            std::fwrite(line.data(), 1, line.size(), f);
        }
        std::fclose(f);
    }

    std::vector<double> openSeconds;
    std::size_t loaded = 0;
    for (int r = 0; r < opens; ++r) {
        gui::CRecordingViewer viewer;
        viewer.setAttribute(Qt::WA_DeleteOnClose, false);
        viewer.resize(1280, 720);
        viewer.show();
        QCoreApplication::processEvents();
        QElapsedTimer clock;
        clock.start();
        viewer.openFile(QString::fromStdString(path.string()));
        while (viewer.loading())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        viewer.chart()->repaint();
        openSeconds.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e9);
        loaded = viewer.data().size();
    }

    gui::CRecordingViewer viewer;
    viewer.setAttribute(Qt::WA_DeleteOnClose, false);
    viewer.resize(1280, 720);
    viewer.show();
    viewer.openFile(QString::fromStdString(path.string()));
    while (viewer.loading())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    std::filesystem::remove(path);
    for (int c = 0; c < osc::kChannels; ++c)
        viewer.setChannelShown(c, true);

    RecordingView& view = viewer.view();
    auto timed = [&](auto change) {
        QElapsedTimer clock;
        clock.start();
        change();
        viewer.refreshView();
        viewer.chart()->repaint();
        return static_cast<double>(clock.nsecsElapsed()) / 1e6;
    };
    view.zoomTo(0, view.duration() / 10);
    viewer.refreshView();
    std::vector<double> panMs, zoomMs;
    for (int i = 0; i < redraws; ++i) {
        // A hundred steps of a tenth of the window cross the whole recording.
        panMs.push_back(timed([&] { view.pan(view.width() / 10); }));
    }
    view.fit();
    for (int i = 0; i < redraws; ++i) {
        const double anchor = view.duration() * (0.1 + 0.8 * (i % 7) / 6.0);
        const double factor = (i / 5) % 2 == 0 ? 0.8 : 1.25;
        zoomMs.push_back(timed([&] { view.zoom(factor, anchor); }));
    }

    const double openMedian = median(openSeconds);
    const double panMedian = median(panMs);
    const double zoomMedian = median(zoomMs);
    const bool met = loaded == records && openMedian <= openTarget && panMedian <= redrawTargetMs &&
                     zoomMedian <= redrawTargetMs;
    std::printf("Recording viewer: %zu records, all nine channels shown, chart %dx%d\n", loaded,
                viewer.chart()->width(), viewer.chart()->height());
    std::printf("  open and draw   median of %3d  %8.1f ms   (target %.0f ms)\n", opens, openMedian * 1e3, openTarget * 1e3);
    std::printf("  pan redraw      median of %3d  %8.2f ms   (target %.0f ms)\n", redraws, panMedian, redrawTargetMs);
    std::printf("  zoom redraw     median of %3d  %8.2f ms   (target %.0f ms)\n", redraws, zoomMedian, redrawTargetMs);
    std::printf("%s\n", met ? "targets met" : "TARGET MISSED");
    return met ? 0 : 1;
}

// Measures the viewer's window on the display it runs on (scripts/with-display.sh): start-up to
// the first drawn frame, the frame time while the mouse turns a large protein, and the CPU the
// process spends while nothing moves, while it spins and while it plays a trajectory.
//
//   window_bench startup FILE [RUNS] [VORN_CLI]
//       RUNS (10) whole processes of the viewer opening FILE, each timed from its spawn to the
//       first frame drawn once start-up is over (the one that shows the structure) and to its
//       exit; then `VORN_CLI info FILE` (default: vorn-cli beside the bench folder) as many times
//       for comparison.
//   window_bench frames SOURCE.pdb [ATOMS] [FRAMES]
//       SOURCE tiled to ATOMS (10000) atoms in an 800 x 600 view, turned by a left-button drag
//       one mouse move per frame; the median of FRAMES (50) frames, paint to paint, with the
//       molecule hidden (the window's own cost), in wire frame with smoothed lines as set, in CPK
//       and in wire frame with the smoothing toggled.
//   window_bench cpu VORN_ARGS...
//       The viewer started with that command line; CPU time (user + system, every thread) over
//       3 s windows: from the first frame on, idle, spinning by momentum, playing the frames.
//   window_bench viewer VORN_ARGS...
//       The viewer exactly as `vorn VORN_ARGS...` runs, leaving after its first drawn frame; it
//       prints steady-clock stamps for the startup mode.
//
// Every mode runs the program's own start-up (RunViewer), so window, settings and reading are
// those of `vorn`.
#include "BenchSupport.h"
#include "app/GlWidget.h"
#include "app/MainFrame.h"
#include "app/VornApp.h"
#include "document/VornDoc.h"
#include "render/VornView.h"

#include <QApplication>
#include <QEventLoop>
#include <QMouseEvent>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

using namespace vorn;
using namespace vorn::bench;

namespace {

double Ms(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

long long Ns(Clock::time_point t) {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(t.time_since_epoch()).count();
}

void PrintSpread(const char* what, const std::vector<double>& ms) {
    if (ms.empty())
        return;
    const Spread t = SpreadOf(ms);
    std::printf("%-34s median %8.1f ms   min %8.1f   max %8.1f   (n %zu)\n", what, t.median, t.lo,
                t.hi, ms.size());
}

// ---- start-up: whole processes ----

struct Process {
    std::string out; // its standard output, when captured
    Clock::time_point spawned, exited;
    int status = -1;
};

Process Run(const std::vector<std::string>& args, bool capture) {
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    int fds[2] = {-1, -1};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (capture && pipe(fds) == 0) {
        posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        posix_spawn_file_actions_addclose(&actions, fds[1]);
    } else {
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    }
    Process p;
    pid_t pid = -1;
    p.spawned = Clock::now();
    const int failed = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (fds[1] >= 0)
        close(fds[1]);
    if (fds[0] >= 0) {
        char buffer[4096];
        ssize_t n;
        while (!failed && (n = read(fds[0], buffer, sizeof buffer)) > 0)
            p.out.append(buffer, static_cast<size_t>(n));
        close(fds[0]);
    }
    if (!failed)
        waitpid(pid, &p.status, 0);
    p.exited = Clock::now();
    return p;
}

// The number the viewer printed as "name NUMBER", or -1.
long long Printed(const Process& p, const char* name) {
    const std::string out = "\n" + p.out, key = "\n" + std::string(name) + " ";
    const size_t at = out.find(key);
    return at == std::string::npos ? -1 : std::atoll(out.c_str() + at + key.size());
}

// A steady-clock stamp the viewer printed, in ms from the spawn (negative when missing).
double StampMs(const Process& p, const char* name) {
    const long long ns = Printed(p, name);
    return ns < 0 ? -1 : static_cast<double>(ns - Ns(p.spawned)) / 1e6;
}

std::string Beside(const std::string& self, const char* relative) {
    const size_t slash = self.rfind('/');
    return (slash == std::string::npos ? "." : self.substr(0, slash)) + "/" + relative;
}

int Startup(const std::string& self, int argc, char** argv) {
    const std::string file = argv[0];
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    const std::string cli = argc > 2 ? argv[2] : Beside(self, "../vorn-cli");
    std::vector<double> toMain, toStarted, toFrame, toExit, cliTimes;
    for (int i = 0; i < runs; ++i) {
        const Process p = Run({self, "viewer", file}, true);
        const double frame = StampMs(p, "frame");
        if (p.status != 0 || frame < 0) {
            std::fprintf(stderr, "run %d: no first frame (status %d)\n%s", i + 1, p.status,
                         p.out.c_str());
            return 1;
        }
        toMain.push_back(StampMs(p, "main"));
        toStarted.push_back(StampMs(p, "started"));
        toFrame.push_back(frame);
        toExit.push_back(Ms(p.spawned, p.exited));
        std::printf("run %2d: main %6.1f  started %6.1f  first frame %6.1f  exit %6.1f ms  "
                    "(%d of the empty view before)\n",
                    i + 1, toMain.back(), toStarted.back(), frame, toExit.back(),
                    static_cast<int>(Printed(p, "early")));
    }
    for (int i = 0; i < runs; ++i) {
        const Process p = Run({cli, "info", file}, false);
        if (p.status != 0) {
            std::fprintf(stderr, "%s info %s failed\n", cli.c_str(), file.c_str());
            return 1;
        }
        cliTimes.push_back(Ms(p.spawned, p.exited));
    }
    std::printf("\n%s, %d runs, times from spawn:\n", file.c_str(), runs);
    PrintSpread("main() entered (exec, loading)", toMain);
    PrintSpread("start-up over (window, file read)", toStarted);
    PrintSpread("first frame of the structure", toFrame);
    PrintSpread("process exited", toExit);
    PrintSpread("vorn-cli info, process exited", cliTimes);
    return 0;
}

int Viewer(int argc, char** argv, Clock::time_point entered) {
    return RunViewer(argc, argv, [entered](CVornApp& app) {
        VornGlWidget& gl = app.Frame().GlView();
        std::printf("main %lld\nstarted %lld\n", Ns(entered), Ns(Clock::now()));
        // Showing the window draws the empty view into the widget's buffer before the read.
        std::printf("early %d\n", gl.FramesDrawn());
        QObject::connect(
            &gl, &VornGlWidget::frameDrawn, &gl,
            [] {
                std::printf("frame %lld\n", Ns(Clock::now()));
                std::fflush(stdout);
                // Not from inside the paint: quitting closes the window under it.
                QTimer::singleShot(0, &QCoreApplication::quit);
            },
            Qt::SingleShotConnection);
    });
}

// ---- in the window ----

// Runs the event loop until the view draws a frame; the time it was drawn (now after timeoutMs).
Clock::time_point AwaitFrame(VornGlWidget& gl, int timeoutMs = 20000) {
    QEventLoop loop;
    Clock::time_point drawn = Clock::now();
    const auto c = QObject::connect(&gl, &VornGlWidget::frameDrawn, &loop, [&] {
        drawn = Clock::now();
        loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    QObject::disconnect(c);
    return drawn;
}

void Wait(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

void Mouse(VornGlWidget& gl, QEvent::Type type, QPointF at, Qt::MouseButton button,
           Qt::MouseButtons held) {
    QMouseEvent event(type, at, gl.mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(&gl, &event);
}

// A left-button drag around a circle of 100 px about the centre, one move per frame, each sent
// as soon as the frame before it is drawn: paint-to-paint intervals, and how they split into the
// time from the move to its frame and from the frame to the next move.
void TimeTurning(VornGlWidget& gl, const char* name, int frames) {
    constexpr int kWarmUp = 5; // lists compiled, caches filled
    const QPointF centre(gl.width() / 2.0, gl.height() / 2.0);
    Mouse(gl, QEvent::MouseButtonPress, centre, Qt::LeftButton, Qt::LeftButton);
    std::vector<Clock::time_point> moved, drawn;
    QPointF at = centre;
    for (int i = 0; i < kWarmUp + frames + 1; ++i) {
        at = centre + 100 * QPointF(std::cos(0.05 * i), std::sin(0.05 * i));
        moved.push_back(Clock::now());
        Mouse(gl, QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton);
        drawn.push_back(AwaitFrame(gl));
    }
    Mouse(gl, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
    std::vector<double> frame, toDrawn, toNextMove;
    for (size_t i = kWarmUp + 1; i < drawn.size(); ++i) {
        frame.push_back(Ms(drawn[i - 1], drawn[i]));
        toDrawn.push_back(Ms(moved[i], drawn[i]));
        toNextMove.push_back(Ms(drawn[i - 1], moved[i]));
    }
    const Spread t = SpreadOf(frame);
    std::printf("%-16s %9.1f %9.1f %9.1f %12.1f %12.1f\n", name, t.median, t.lo, t.hi,
                Median(toDrawn), Median(toNextMove));
}

int Frames(int argc, char** argv) {
    const long atoms = argc > 1 ? std::max(1L, std::atol(argv[1])) : 10000;
    const int frames = argc > 2 ? std::max(1, std::atoi(argv[2])) : 50;
    const char* tmp = std::getenv("TMPDIR");
    std::string file = std::string(tmp ? tmp : "/tmp") + "/vorn_window_bench_XXXXXX.pdb";
    const int fd = mkstemps(file.data(), 4);
    if (fd < 0 || close(fd) != 0 || WriteTiled(AtomRecords(argv[0]), atoms, file) == 0) {
        std::fprintf(stderr, "cannot tile %s into %s\n", argv[0], file.c_str());
        return 1;
    }
    std::string name = "vorn";
    char* viewerArgs[] = {name.data(), file.data(), nullptr};
    const int status = RunViewer(2, viewerArgs, [&](CVornApp& app) {
        VornGlWidget& gl = app.Frame().GlView();
        gl.setFixedSize(800, 600);
        const ViewParameters& p = gl.View().params;
        for (int i = 0; i < 10 && (!gl.FirstFrameDrawn() || p.windowWidth != 800); ++i)
            AwaitFrame(gl, 2000);
        const CVornDoc& doc = app.Document();
        std::printf("%s tiled: %d atoms, %zu bonds, view %d x %d, %s\n", argv[0],
                    doc.primary ? doc.primary->AtomCount() : 0,
                    doc.primary ? doc.primary->bonds.size() : 0, p.windowWidth, p.windowHeight,
                    gl.Renderer().toLocal8Bit().constData());
        std::printf("ms, median of %d frames:\n%-16s %9s %9s %9s %12s %12s\n", frames, "mode",
                    "frame", "min", "max", "move->drawn", "drawn->move");
        // Nothing drawn: what the window costs a frame (clear, compose, show).
        gl.Command([](CVornView& v) { v.SetRenderMode(kHideMolecule); });
        TimeTurning(gl, "hidden", frames);
        const bool smooth = p.lineAlias;
        gl.Command([](CVornView& v) { v.SetRenderMode(kWireFrame); });
        TimeTurning(gl, smooth ? "wire (smoothed)" : "wire (plain)", frames);
        gl.Command([](CVornView& v) { v.SetRenderMode(kCpk); });
        TimeTurning(gl, "cpk", frames);
        gl.Command([](CVornView& v) {
            v.ToggleAntiAlias();
            v.SetRenderMode(kWireFrame);
        });
        TimeTurning(gl, smooth ? "wire (plain)" : "wire (smoothed)", frames);
        gl.Command([](CVornView& v) { v.ToggleAntiAlias(); }); // the setting as it was
        QTimer::singleShot(0, &QCoreApplication::quit);
    });
    std::remove(file.c_str());
    return status;
}

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

long Wakeups() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_nvcsw + u.ru_nivcsw;
}

// Nothing but the event loop for ms: CPU time, frames drawn and context switches in that time.
void MeasureCpu(VornGlWidget& gl, const char* name, int ms) {
    std::vector<Clock::time_point> drawn;
    const auto c = QObject::connect(&gl, &VornGlWidget::frameDrawn, &gl,
                                    [&drawn] { drawn.push_back(Clock::now()); });
    const double cpu0 = CpuSeconds();
    const long switches0 = Wakeups();
    const Clock::time_point t0 = Clock::now();
    Wait(ms);
    const double seconds = Ms(t0, Clock::now()) / 1000;
    const double cpu = CpuSeconds() - cpu0;
    const long switches = Wakeups() - switches0;
    QObject::disconnect(c);
    std::vector<double> intervals;
    for (size_t i = 1; i < drawn.size(); ++i)
        intervals.push_back(Ms(drawn[i - 1], drawn[i]));
    std::printf("%-24s %6.2f s  cpu %7.3f s = %5.1f%% of a core  %5.1f frames/s  "
                "frame every %5.1f ms  %6.0f switches/s\n",
                name, seconds, cpu, 100 * cpu / seconds, double(drawn.size()) / seconds,
                Median(intervals), double(switches) / seconds);
}

int Cpu(int argc, char** argv) {
    std::vector<std::string> args{"vorn"};
    args.insert(args.end(), argv, argv + argc);
    std::vector<char*> viewerArgs;
    for (std::string& a : args)
        viewerArgs.push_back(a.data());
    viewerArgs.push_back(nullptr);
    constexpr int kWindow = 3000, kSettle = 300;
    return RunViewer(static_cast<int>(args.size()), viewerArgs.data(), [&](CVornApp& app) {
        VornGlWidget& gl = app.Frame().GlView();
        // The frame that shows the structure (showing the window drew the empty view before).
        AwaitFrame(gl);
        CVornView& view = gl.View();
        std::printf("%s: %d atoms, %d frames, view %d x %d\n", argc > 0 ? argv[0] : "(nothing)",
                    app.Document().primary ? app.Document().primary->AtomCount() : 0,
                    app.Document().primary ? app.Document().primary->frames.Count() : 0,
                    view.params.windowWidth, view.params.windowHeight);
        MeasureCpu(gl, view.params.playing ? "after 1st frame, playing" : "after 1st frame",
                   kWindow);
        if (view.params.playing) {
            gl.Command([](CVornView& v) { v.StopPlayback(); });
            Wait(kSettle);
            MeasureCpu(gl, "idle", kWindow);
        }
        // A short drag released with momentum on leaves the molecule spinning.
        const bool momentum = view.params.momentumEnabled;
        if (!momentum)
            gl.Command([](CVornView& v) { v.ToggleMomentum(); });
        const QPointF centre(gl.width() / 2.0, gl.height() / 2.0), to = centre + QPointF(8, 3);
        Mouse(gl, QEvent::MouseButtonPress, centre, Qt::LeftButton, Qt::LeftButton);
        Mouse(gl, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
        Mouse(gl, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
        Wait(kSettle);
        MeasureCpu(gl, view.params.spinning ? "spinning" : "spinning (DID NOT START)", kWindow);
        // Momentum off stops the spin; then the setting as it was.
        gl.Command([momentum](CVornView& v) {
            v.ToggleMomentum();
            if (momentum)
                v.ToggleMomentum();
        });
        if (app.Document().primary && app.Document().primary->frames.Count() > 0) {
            gl.Command([](CVornView& v) { v.Play(false); });
            Wait(kSettle);
            MeasureCpu(gl, "playing", kWindow);
            gl.Command([](CVornView& v) { v.StopPlayback(); });
        }
        Wait(kSettle);
        MeasureCpu(gl, "idle at the end", kWindow);
        QTimer::singleShot(0, &QCoreApplication::quit);
    });
}

} // namespace

int main(int argc, char** argv) {
    const Clock::time_point entered = Clock::now();
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "viewer")
        return Viewer(argc - 1, argv + 1, entered);
    if (mode == "startup" && argc > 2) {
        char self[4096];
        const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
        if (n > 0)
            return Startup(std::string(self, static_cast<size_t>(n)), argc - 2, argv + 2);
    } else if (mode == "frames" && argc > 2) {
        return Frames(argc - 2, argv + 2);
    } else if (mode == "cpu") {
        return Cpu(argc - 2, argv + 2);
    }
    std::fprintf(stderr, "usage: window_bench startup FILE [RUNS] [VORN_CLI]\n"
                         "       window_bench frames SOURCE.pdb [ATOMS] [FRAMES]\n"
                         "       window_bench cpu VORN_ARGS...\n"
                         "       window_bench viewer VORN_ARGS...\n");
    return 2;
}

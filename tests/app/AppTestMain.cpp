// The GUI tests' main: every test process gets its own settings and runtime directories and one
// QApplication on the X display the tests run under. Without a display the application cannot
// start and the test fails; listing the tests needs no display.
#include <QApplication>
#include <QSurfaceFormat>

#include <clocale>
#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <glob.h>
#include <gtest/gtest.h>
#include <string>

namespace {

std::string MakeDirectory(const char* pattern) {
    std::string path =
        std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") + "/" + pattern;
    if (!mkdtemp(path.data()))
        std::abort();
    return path;
}

// The GL library loads Mesa's driver and unloads it again when the display closes. Kept mapped, the
// driver's own allocations that live until the process ends are known by its name (the leak
// checker of the sanitizer run ignores that library) instead of by an unknown module.
void KeepDriverLoaded() {
    glob_t found{};
    if (glob("/usr/lib/*/dri/swrast_dri.so", 0, nullptr, &found) == 0)
        for (size_t i = 0; i < found.gl_pathc; ++i)
            dlopen(found.gl_pathv[i], RTLD_NOW | RTLD_NODELETE);
    globfree(&found);
}

} // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (testing::GTEST_FLAG(list_tests))
        return RUN_ALL_TESTS();
    KeepDriverLoaded();
    const std::string config = MakeDirectory("vorn-config-XXXXXX");
    const std::string runtime = MakeDirectory("vorn-runtime-XXXXXX");
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    QSurfaceFormat format;
    format.setVersion(2, 1);
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    format.setDepthBufferSize(24);
    QSurfaceFormat::setDefaultFormat(format);
    QApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName("Vorn");
    QApplication::setOrganizationName("Vorn");
    const int failed = RUN_ALL_TESTS();
    std::error_code ignored;
    std::filesystem::remove_all(config, ignored);
    std::filesystem::remove_all(runtime, ignored);
    return failed;
}

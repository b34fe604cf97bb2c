// The GUI tests' main: every test process gets its own settings and runtime directories and one
// QApplication on the X display the tests run under. Without a display the application cannot
// start and the test fails; listing the tests needs no display.
#include <QApplication>
#include <QSurfaceFormat>

#include <clocale>
#include <cstdlib>
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

} // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (testing::GTEST_FLAG(list_tests))
        return RUN_ALL_TESTS();
    setenv("XDG_CONFIG_HOME", MakeDirectory("vorn-config-XXXXXX").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", MakeDirectory("vorn-runtime-XXXXXX").c_str(), 1);
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
    return RUN_ALL_TESTS();
}

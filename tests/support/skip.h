#pragma once

#include <QApplication>
#include <QCoreApplication>
#include <QProcess>
#include <QTest>

// A test program whose every case needs what this machine lacks (a server, a
// tool, a bus) ends with CTest's skip code (SKIP_RETURN_CODE of every test,
// tests/CMakeLists.txt), so the summary shows it skipped, not passed. One
// case that cannot run alone skips with QSKIP as usual.
namespace kova::test {

inline constexpr int kSkipReturnCode = 77;
inline bool programSkipped = false;

inline int programStatus(int status) {
    return status == 0 && programSkipped ? kSkipReturnCode : status;
}

// Whether strace can trace here (installed, and ptrace allowed): the tests
// that inject faults into system calls need it.
inline bool straceWorks() {
    QProcess probe;
    probe.start(QStringLiteral("strace"), {QStringLiteral("-qq"), QStringLiteral("-e"),
                                           QStringLiteral("trace=none"), QStringLiteral("true")});
    return probe.waitForFinished() && probe.exitStatus() == QProcess::NormalExit &&
           probe.exitCode() == 0;
}

// The environment of a program run under strace: the leak checker of a
// sanitizer build cannot attach to a process strace already traces, and
// ends it at exit without flushing what it printed.
inline QProcessEnvironment tracedEnvironment() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    const QString options = environment.value(QStringLiteral("ASAN_OPTIONS"));
    environment.insert(QStringLiteral("ASAN_OPTIONS"),
                       options.isEmpty() ? QStringLiteral("detect_leaks=0")
                                         : options + QStringLiteral(":detect_leaks=0"));
    return environment;
}

} // namespace kova::test

// In initTestCase(): skips every case, and the program.
#define KOVA_SKIP_PROGRAM(reason)                                                                  \
    do {                                                                                           \
        ::kova::test::programSkipped = true;                                                       \
        QSKIP(reason);                                                                             \
    } while (false)

// QTEST_MAIN and QTEST_GUILESS_MAIN, ending with the skip code after
// KOVA_SKIP_PROGRAM.
#define KOVA_TEST_MAIN_WITH(TestObject, Application)                                               \
    int main(int argc, char* argv[]) {                                                             \
        Application app(argc, argv);                                                               \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                   \
        TestObject tc;                                                                             \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return ::kova::test::programStatus(QTest::qExec(&tc, argc, argv));                         \
    }
#define KOVA_TEST_MAIN(TestObject) KOVA_TEST_MAIN_WITH(TestObject, QApplication)
#define KOVA_TEST_GUILESS_MAIN(TestObject) KOVA_TEST_MAIN_WITH(TestObject, QCoreApplication)

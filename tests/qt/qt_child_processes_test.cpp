#include "qt/qt_child_processes.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <optional>

namespace tarnwick::qt {
namespace {

using platform::ChildEnd;
using platform::ChildRequest;

ChildRequest Shell(const std::string& script) {
    return {.program = "/bin/sh", .arguments = {"-c", script}};
}

// Starts `request` and runs the event loop until its end is told (at most
// ten seconds); the handler destroys the child, as callers may.
std::optional<ChildEnd> RunToEnd(QtChildProcesses& children, const ChildRequest& request) {
    QEventLoop loop;
    std::optional<ChildEnd> end;
    std::unique_ptr<platform::Child> child;
    child = children.Start(request, [&](ChildEnd told) {
        end = std::move(told);
        child.reset();
        loop.quit();
    });
    EXPECT_FALSE(end) << "never from inside Start";
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    if (!end) loop.exec();
    return end;
}

TEST(QtChildProcessesTest, AnExitTellsItsCodeOutputAndTheTailOfItsErrors) {
    QtChildProcesses children;
    const QTemporaryDir folder;
    ChildRequest request = Shell(
        // cat ends only when standard input is closed.
        "cat; pwd; i=0; while [ $i -lt 300 ]; do echo 'error line of forty bytes...........' >&2;"
        " i=$((i+1)); done; echo last >&2; exit 3");
    request.working_folder = folder.path().toStdString();
    const std::optional<ChildEnd> end = RunToEnd(children, request);
    ASSERT_TRUE(end);
    EXPECT_EQ(end->kind, ChildEnd::Kind::kExited);
    EXPECT_EQ(end->exit_code, 3);
    EXPECT_EQ(end->out, folder.path().toStdString() + "\n");
    EXPECT_EQ(end->err_tail.size(), platform::kErrTailBytes);
    EXPECT_TRUE(end->err_tail.ends_with("...\nlast\n"));
}

TEST(QtChildProcessesTest, ASignalIsACrashAndAMissingProgramFailsToStart) {
    QtChildProcesses children;
    const std::optional<ChildEnd> crash = RunToEnd(children, Shell("kill -9 $$"));
    ASSERT_TRUE(crash);
    EXPECT_EQ(crash->kind, ChildEnd::Kind::kCrashed);

    const std::optional<ChildEnd> missing =
        RunToEnd(children, {.program = "/nonexistent/tarnwick-helper"});
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->kind, ChildEnd::Kind::kFailedToStart);
    EXPECT_FALSE(missing->err_tail.empty());
}

TEST(QtChildProcessesTest, OutputBeyondTheLimitKillsTheChild) {
    QtChildProcesses children;
    // yes never ends by itself.
    const std::optional<ChildEnd> end =
        RunToEnd(children, {.program = "/usr/bin/yes", .stdout_limit = 100000});
    ASSERT_TRUE(end);
    EXPECT_EQ(end->kind, ChildEnd::Kind::kTooMuchOutput);
    EXPECT_EQ(end->out.size(), 100000u);
    EXPECT_TRUE(end->out.starts_with("y\ny\n"));
}

TEST(QtChildProcessesTest, DestroyingARunningChildKillsAndReapsItAndTellsNothing) {
    QtChildProcesses children;
    const QTemporaryDir folder;
    const QString pid_file = folder.filePath("pid");
    bool told = false;
    auto child = children.Start(Shell("echo $$ > " + pid_file.toStdString() + "; exec sleep 30"),
                                [&](ChildEnd) { told = true; });
    QFile file(pid_file);
    ASSERT_TRUE(QTest::qWaitFor([&] { return file.size() > 0; }));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const pid_t pid = file.readAll().trimmed().toInt();
    ASSERT_GT(pid, 0);
    EXPECT_EQ(::kill(pid, 0), 0);

    child.reset();
    // A zombie still answers kill(pid, 0); only a reaped child is gone.
    EXPECT_TRUE(QTest::qWaitFor([&] { return ::kill(pid, 0) != 0 && errno == ESRCH; }));
    QCoreApplication::processEvents();
    EXPECT_FALSE(told);
}

TEST(QtChildProcessesTest, FindTakesTheFirstExecutableFileInFolderOrder) {
    const QTemporaryDir first;
    const QTemporaryDir second;
    const auto make = [](const QTemporaryDir& dir, const QString& name, bool executable) {
        QFile file(dir.filePath(name));
        file.open(QIODevice::WriteOnly);
        file.setPermissions(executable ? QFile::ReadOwner | QFile::ExeOwner : QFile::ReadOwner);
        return file.fileName().toStdString();
    };
    const std::string first_tool = make(first, "tool", true);
    make(second, "tool", true);
    make(first, "plain", false);
    const std::string second_plain = make(second, "plain", true);

    const QtChildProcesses children({first.path(), second.path()});
    EXPECT_EQ(children.Find("tool"), first_tool);
    EXPECT_EQ(children.Find("plain"), second_plain);
    EXPECT_EQ(children.Find("absent"), std::nullopt);
}

} // namespace
} // namespace tarnwick::qt

#include "qt/qt_shell_launch.h"

#include "qt/text_conversion.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStringList>
#include <QTimer>
#include <QUrl>

#include <utility>
#include <vector>

namespace tarnwick::qt {
namespace {

// The opener's exit statuses, as xdg-open documents them.
constexpr int kOpenerNoProgram = 3;

platform::Opened FromExit(int code, QProcess::ExitStatus status) {
    if (status == QProcess::NormalExit && code == 0) return platform::Opened::kYes;
    if (status == QProcess::NormalExit && code == kOpenerNoProgram) {
        return platform::Opened::kNoProgram;
    }
    return platform::Opened::kProgramFailed;
}

// Openers left running when the launch went: never destroyed, since that
// would end them and the programs they run.
void LetRunOn(QProcess* opener) {
    static auto* let_go = new std::vector<QProcess*>;
    opener->disconnect();
    opener->setParent(nullptr);
    let_go->push_back(opener);
}

// One document handed to the opener, answered once: by the opener's end, by
// its failure to start, or as opened once it has run for kAnswerTimeMs.
class Opening : public QObject {
public:
    Opening(QObject* parent, std::function<void(platform::Opened)> done)
        : QObject(parent), done_(std::move(done)), opener_(new QProcess(this)) {
        opener_->setStandardInputFile(QProcess::nullDevice());
        opener_->setStandardOutputFile(QProcess::nullDevice());
        // What the opener says of a failure stays readable on our stderr.
        opener_->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        connect(opener_, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
            if (error != QProcess::FailedToStart) return;
            Answer(platform::Opened::kNoOpener);
            deleteLater();
        });
        connect(opener_, &QProcess::finished, this, [this](int code, QProcess::ExitStatus status) {
            Answer(FromExit(code, status));
            deleteLater();
        });
        QTimer::singleShot(QtShellLaunch::kAnswerTimeMs, this,
                           [this] { Answer(platform::Opened::kYes); });
    }
    ~Opening() override {
        if (opener_->state() != QProcess::NotRunning) LetRunOn(opener_);
    }

    void Start(const QString& program, const QString& target) { opener_->start(program, {target}); }

private:
    void Answer(platform::Opened how) {
        if (auto done = std::exchange(done_, nullptr)) done(how);
    }

    std::function<void(platform::Opened)> done_;
    QProcess* opener_;
};

} // namespace

QtShellLaunch::QtShellLaunch(QString opener) : opener_(std::move(opener)) {}

QtShellLaunch::~QtShellLaunch() = default;

bool QtShellLaunch::LaunchProgram(const std::string& program,
                                  const std::vector<std::string>& arguments) {
    QStringList qt_arguments;
    for (const std::string& argument : arguments) qt_arguments << ToQString(argument);
    return QProcess::startDetached(ToQString(program), qt_arguments);
}

void QtShellLaunch::OpenDocument(const std::string& path, const std::string& section,
                                 std::function<void(platform::Opened)> done) {
    QUrl address = QUrl::fromLocalFile(ToQString(path));
    if (!section.empty()) address.setFragment(ToQString(section));
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    // A plain path reaches every opener; only a section needs the address.
    const QString target = section.empty() ? ToQString(path) : address.toString();
    (new Opening(&openings_, std::move(done)))->Start(opener_, target);
#else
    done(QDesktopServices::openUrl(address) ? platform::Opened::kYes : platform::Opened::kNoOpener);
#endif
}

} // namespace tarnwick::qt

// The batch sheet in the spreadsheet program: which program, starting it, its end.
#include "ui/customize/batch_sheet_opener.h"

#include <QStandardPaths>
#include <QWidget>
#include <vector>

#include "ui/customize/desktop_entry.h"
#include "ui/note_dlg.h"
#include "ui/termination_signal_set.h"
#include "ui/translate_window.h"

namespace plindar {

namespace {

constexpr char kMimeQueryProgram[] = "xdg-mime";

// Programs still showing a sheet when their opener went away (the window closed).
// They are left running, because ending them would throw away what the operator
// typed and has not saved yet; their process objects are kept here for the same
// reason, since deleting one ends its program.
std::vector<QProcess*>& AbandonedEditors() {
    static std::vector<QProcess*> editors;
    return editors;
}

// What every program started from the window needs: no input from the window's
// terminal, and the termination signals the window blocks for itself.
void PrepareChild(QProcess* process) {
    process->setStandardInputFile(QProcess::nullDevice());
    process->setChildProcessModifier(UnblockTerminationSignals);
}

}  // namespace

CBatchSheetOpener::CBatchSheetOpener(QWidget* page) : page_(page) {}

CBatchSheetOpener::~CBatchSheetOpener() {
    if (editor_ != nullptr && editor_->state() != QProcess::NotRunning) {
        editor_->disconnect(this);
        editor_->setParent(nullptr);
        AbandonedEditors().push_back(editor_);
        editor_ = nullptr;
    }
}

void CBatchSheetOpener::Open(const QString& sheet_path) {
    if (Busy()) {
        return;
    }
    sheet_ = sheet_path;
    if (page_ != nullptr) {
        page_->setEnabled(false);
    }
    const QString configured = qEnvironmentVariable(kEditorVariable);
    if (configured.trimmed().isEmpty()) {
        QueryDefaultApplication();
        return;
    }
    QStringList command = QProcess::splitCommand(configured);
    if (command.isEmpty()) {
        Finish(End::kCouldNotOpen);
        return;
    }
    command << sheet_;
    StartEditor(command);
}

void CBatchSheetOpener::QueryDefaultApplication() {
    const QString program = QStandardPaths::findExecutable(QString::fromUtf8(kMimeQueryProgram));
    if (program.isEmpty()) {
        Finish(End::kCouldNotOpen);
        return;
    }
    query_ = new QProcess(this);
    PrepareChild(query_);
    query_->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    connect(query_, &QProcess::finished, this, &CBatchSheetOpener::OnQueryFinished);
    connect(query_, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart && query_ != nullptr) {
            query_->deleteLater();
            query_ = nullptr;
            Finish(End::kCouldNotOpen);
        }
    });
    query_->start(program, {QStringLiteral("query"), QStringLiteral("default"),
                            QString::fromUtf8(kSheetMimeType)});
}

void CBatchSheetOpener::OnQueryFinished(int exit_code, QProcess::ExitStatus status) {
    if (query_ == nullptr) {
        return;
    }
    const QString answer = QString::fromLocal8Bit(query_->readAllStandardOutput());
    query_->deleteLater();
    query_ = nullptr;
    const QString id = answer.section('\n', 0, 0).trimmed();
    if (status != QProcess::NormalExit || exit_code != 0 || id.isEmpty()) {
        Finish(End::kCouldNotOpen);
        return;
    }
    const QString entry_path = FindDesktopEntry(id, DesktopEntryFolders());
    desktop_entry_stu entry;
    if (entry_path.isEmpty() || !ReadDesktopEntry(entry_path, &entry)) {
        Finish(End::kCouldNotOpen);
        return;
    }
    const QStringList command = ExpandExecLine(entry.exec, sheet_, entry, entry_path);
    if (command.isEmpty()) {
        Finish(End::kCouldNotOpen);
        return;
    }
    StartEditor(command);
}

void CBatchSheetOpener::StartEditor(const QStringList& command) {
    editor_ = new QProcess(this);
    PrepareChild(editor_);
    // The program's own output goes where the window's goes; nothing here reads it.
    editor_->setProcessChannelMode(QProcess::ForwardedChannels);
    editor_->setProgram(command.front());
    editor_->setArguments(command.mid(1));
    connect(editor_, &QProcess::started, this, [this] { editor_clock_.start(); });
    connect(editor_, &QProcess::finished, this, &CBatchSheetOpener::OnEditorFinished);
    connect(editor_, &QProcess::errorOccurred, this, &CBatchSheetOpener::OnEditorError);
    editor_clock_.invalidate();
    editor_->start();
}

void CBatchSheetOpener::OnEditorError(QProcess::ProcessError error) {
    // A crash or a failed read also ends in finished; only a program that never
    // ran ends here.
    if (error != QProcess::FailedToStart || editor_ == nullptr) {
        return;
    }
    editor_->deleteLater();
    editor_ = nullptr;
    Finish(End::kCouldNotOpen);
}

void CBatchSheetOpener::OnEditorFinished(int exit_code, QProcess::ExitStatus status) {
    if (editor_ == nullptr) {
        return;
    }
    const bool timed = editor_clock_.isValid();
    const std::chrono::milliseconds ran(timed ? editor_clock_.elapsed() : 0);
    editor_->deleteLater();
    editor_ = nullptr;
    const bool handed_over =
        status == QProcess::NormalExit && exit_code == 0 && ran < hand_over_window_;
    Finish(handed_over ? End::kHandedOver : End::kClosed);
}

void CBatchSheetOpener::Finish(End how) {
    if (page_ != nullptr) {
        page_->setEnabled(true);
        page_->raise();
        if (QWidget* window = page_->window()) {
            window->raise();
            window->activateWindow();
        }
    }
    if (how == End::kCouldNotOpen) {
        ShowNote(TrText("Note"), TrText(kOpenSheetFailText), NoteButtons::kOkOnly, page_);
    } else if (how == End::kHandedOver) {
        ShowNote(TrText("Note"), TrText(kSheetHandedOverText), NoteButtons::kOkOnly, page_);
    }
    emit Ended(how);
}

}  // namespace plindar

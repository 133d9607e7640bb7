// CBatchSheetOpener: opens the batch sheet in the computer's spreadsheet program
// and keeps the page disabled until that program ends, without blocking the UI
// thread: the program runs as a child process whose end arrives as a signal.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <chrono>

class QWidget;

namespace plindar {

// Operator messages (English keys for TranslateText).
inline constexpr char kOpenSheetFailText[] = "Open excel fail!";
inline constexpr char kSheetHandedOverText[] =
    "The batch sheet is open in the spreadsheet program. Apply reads it once you have saved it "
    "there.";

class CBatchSheetOpener : public QObject {
    Q_OBJECT

public:
    // How the program that was to show the sheet ended.
    enum class End {
        // It showed the sheet and has ended now: the operator is done with it.
        kClosed,
        // It ended at once with success: the sheet went to an instance that was
        // already running, so nothing tells when the operator is done. A message
        // has said that Apply reads the sheet once it is saved.
        kHandedOver,
        // No program for the sheet, or it could not be started; "Open excel fail!"
        // has been shown.
        kCouldNotOpen,
    };
    Q_ENUM(End)

    // A command line naming the program that opens the sheet; the sheet's path is
    // added as its last argument. Without it the desktop's default application
    // for the sheet's type is used.
    static constexpr char kEditorVariable[] = "PLINDAR_SHEET_EDITOR";
    // The MIME type whose default application opens a sheet.
    static constexpr char kSheetMimeType[] = "application/vnd.ms-excel";
    // A program that ends successfully sooner than this after it started passed
    // the sheet on to a running instance of itself.
    static constexpr std::chrono::milliseconds kHandOverWindow{3000};

    // `page` is disabled while a program shows the sheet.
    explicit CBatchSheetOpener(QWidget* page);
    ~CBatchSheetOpener() override;

    // Disables the page and starts the program on `sheet_path`; Ended follows,
    // also when no program could be found or started. Ignored while busy.
    void Open(const QString& sheet_path);
    bool Busy() const { return query_ != nullptr || editor_ != nullptr; }

    void SetHandOverWindow(std::chrono::milliseconds window) { hand_over_window_ = window; }

signals:
    // The page is enabled again and raised when this comes.
    void Ended(plindar::CBatchSheetOpener::End how);

private:
    void QueryDefaultApplication();
    void OnQueryFinished(int exit_code, QProcess::ExitStatus status);
    void StartEditor(const QStringList& command);
    void OnEditorFinished(int exit_code, QProcess::ExitStatus status);
    void OnEditorError(QProcess::ProcessError error);
    void Finish(End how);

    QPointer<QWidget> page_;
    QString sheet_;
    // `xdg-mime query default`, while it runs.
    QProcess* query_ = nullptr;
    // The program that shows the sheet, while it runs.
    QProcess* editor_ = nullptr;
    QElapsedTimer editor_clock_;
    std::chrono::milliseconds hand_over_window_ = kHandOverWindow;
};

}  // namespace plindar

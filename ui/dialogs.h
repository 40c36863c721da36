// The one door through which the program talks to the user outside its own windows: message
// boxes, file dialogs, modal dialogs and the desktop's web browser.
//
// The program runs with QtDialogs. Tests put a scripted implementation in its place that answers
// in order and records every text shown, so that each message and each answer path can be
// exercised without a person in front of the screen.
#pragma once

#include <QString>
#include <QUrl>
#include <functional>
#include <optional>

class QDialog;
class QWidget;

namespace parlix {

enum class MessageKind {
    Information,   // a plain box with one OK button
    Confirmation,  // a question icon and the buttons given
    Error,         // the general error report
};

enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };

// Closing a box with its frame or Escape answers Cancel (or No where there is no Cancel).
enum class MessageAnswer { Ok, Cancel, Yes, No };

// The settings of one file dialog. The dialog object lives with the window that owns it, so
// that the next use opens in the folder of the last confirmed choice.
struct FileDialogOptions {
    enum class Mode { Open, Save };
    Mode mode = Mode::Open;
    QString title;  // empty: the toolkit's own title
    QString defaultExtension;
    QString fileName;  // the name offered at first, e.g. "*.ppr"
    QString filterDescription;
    QString filterMask;
    bool fileMustExist = false;
    QString folder;  // where the dialog opens; empty: the working folder
};

class Dialogs {
  public:
    virtual ~Dialogs() = default;

    virtual MessageAnswer ShowMessage(QWidget* parent, MessageKind kind, const QString& text,
                                      MessageButtons buttons) = 0;

    // Runs a file dialog. `selectionChanged` (may be empty) hears the full name of every file
    // the user selects while the dialog is open. Returns the confirmed path, or nothing when
    // the user cancelled.
    virtual std::optional<QString> ExecuteFileDialog(
        QWidget* parent, FileDialogOptions& options,
        const std::function<void(const QString&)>& selectionChanged) = 0;

    // Shows a dialog modally and returns its result (QDialog::Accepted or QDialog::Rejected).
    virtual int ExecuteModal(QDialog& dialog) = 0;

    // Opens a web page in the user's browser; the outcome is not reported.
    virtual void OpenUrl(const QUrl& url) = 0;

    // --- Shorthands ---
    void ShowInformation(QWidget* parent, const QString& text) {
        ShowMessage(parent, MessageKind::Information, text, MessageButtons::Ok);
    }
    // A confirmation box; only Yes counts as consent.
    bool AskYes(QWidget* parent, const QString& text, MessageButtons buttons) {
        return ShowMessage(parent, MessageKind::Confirmation, text, buttons) == MessageAnswer::Yes;
    }
};

// The real thing: Qt's message boxes and its own (non-native) file dialog, which reports
// selection changes and speaks German with the program's translations.
class QtDialogs : public Dialogs {
  public:
    MessageAnswer ShowMessage(QWidget* parent, MessageKind kind, const QString& text,
                              MessageButtons buttons) override;
    std::optional<QString> ExecuteFileDialog(
        QWidget* parent, FileDialogOptions& options,
        const std::function<void(const QString&)>& selectionChanged) override;
    int ExecuteModal(QDialog& dialog) override;
    void OpenUrl(const QUrl& url) override;
};

}  // namespace parlix

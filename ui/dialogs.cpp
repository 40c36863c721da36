#include "ui/dialogs.h"

#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

namespace parlix {

namespace {

const char* const kProgramTitle = "Parlix LE";
const char* const kConfirmationTitle = "Bestätigen";

QMessageBox::StandardButtons ButtonsOf(MessageButtons buttons) {
    switch (buttons) {
        case MessageButtons::Ok:
            return QMessageBox::Ok;
        case MessageButtons::OkCancel:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case MessageButtons::YesNo:
            return QMessageBox::Yes | QMessageBox::No;
        case MessageButtons::YesNoCancel:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

// The answer that closing the box stands for: a refusal wherever there is a choice.
QMessageBox::StandardButton EscapeButtonOf(MessageButtons buttons) {
    switch (buttons) {
        case MessageButtons::Ok:
            return QMessageBox::Ok;
        case MessageButtons::YesNo:
            return QMessageBox::No;
        case MessageButtons::OkCancel:
        case MessageButtons::YesNoCancel:
            return QMessageBox::Cancel;
    }
    return QMessageBox::Cancel;
}

MessageAnswer AnswerOf(int button) {
    switch (button) {
        case QMessageBox::Ok:
            return MessageAnswer::Ok;
        case QMessageBox::Yes:
            return MessageAnswer::Yes;
        case QMessageBox::No:
            return MessageAnswer::No;
        default:
            return MessageAnswer::Cancel;
    }
}

}  // namespace

MessageAnswer QtDialogs::ShowMessage(QWidget* parent, MessageKind kind, const QString& text,
                                     MessageButtons buttons) {
    QMessageBox box(parent);
    box.setText(text);
    switch (kind) {
        case MessageKind::Information:
            box.setWindowTitle(kProgramTitle);
            box.setIcon(QMessageBox::NoIcon);
            break;
        case MessageKind::Confirmation:
            box.setWindowTitle(kConfirmationTitle);
            box.setIcon(QMessageBox::Question);
            break;
        case MessageKind::Error:
            box.setWindowTitle(kProgramTitle);
            box.setIcon(QMessageBox::Critical);
            break;
    }
    box.setStandardButtons(ButtonsOf(buttons));
    box.setEscapeButton(EscapeButtonOf(buttons));
    // The first button is the default one: Yes or OK.
    if (buttons == MessageButtons::YesNo || buttons == MessageButtons::YesNoCancel) {
        box.setDefaultButton(QMessageBox::Yes);
    } else {
        box.setDefaultButton(QMessageBox::Ok);
    }
    return AnswerOf(box.exec());
}

std::optional<QString> QtDialogs::ExecuteFileDialog(
    QWidget* parent, FileDialogOptions& options,
    const std::function<void(const QString&)>& selectionChanged) {
    QFileDialog dialog(parent, options.title);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setAcceptMode(options.mode == FileDialogOptions::Mode::Save ? QFileDialog::AcceptSave
                                                                       : QFileDialog::AcceptOpen);
    dialog.setFileMode(options.fileMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    // Qt reads the mask from the last parentheses of the filter; a description that shows its
    // mask already needs none added.
    const QString maskShown = " (" + options.filterMask + ")";
    dialog.setNameFilter(options.filterDescription.endsWith(maskShown)
                             ? options.filterDescription
                             : options.filterDescription + maskShown);
    dialog.setDefaultSuffix(options.defaultExtension);
    if (!options.folder.isEmpty() && QDir(options.folder).exists()) {
        dialog.setDirectory(options.folder);
    }
    dialog.selectFile(options.fileName);
    if (selectionChanged) {
        QObject::connect(&dialog, &QFileDialog::currentChanged, &dialog,
                         [&selectionChanged](const QString& path) {
                             selectionChanged(QDir::toNativeSeparators(path));
                         });
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    QString chosen = QDir::toNativeSeparators(dialog.selectedFiles().constFirst());
    options.folder = QFileInfo(chosen).absolutePath();
    return chosen;
}

int QtDialogs::ExecuteModal(QDialog& dialog) {
    return dialog.exec();
}

void QtDialogs::OpenUrl(const QUrl& url) {
    QDesktopServices::openUrl(url);
}

}  // namespace parlix

// A stand-in for the user in front of message boxes and dialogs: it answers from a script, in
// order, and records every text shown, every file dialog and every web page opened.
#pragma once

#include <QDialog>
#include <QStringList>
#include <QTest>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "ui/dialogs.h"

namespace parlix::testing {

class ScriptedDialogs : public Dialogs {
  public:
    struct Shown {
        MessageKind kind;
        QString text;
        MessageButtons buttons;
    };
    struct FileAnswer {
        QStringList selections;         // what the user selects, one after the other
        std::optional<QString> result;  // what the user confirms; nothing: Cancel
    };

    // Answers to boxes with a choice; a plain box with one OK button needs none. A question
    // without a scripted answer is recorded in `unexpected` and refused.
    std::deque<MessageAnswer> answers;
    std::deque<FileAnswer> fileAnswers;
    // Each runs while its modal dialog is open (shown, but not in a nested event loop) and may
    // click its buttons; the dialog's result is what it has when the script returns.
    std::deque<std::function<void(QDialog&)>> modalScripts;

    std::vector<Shown> shown;
    std::vector<FileDialogOptions> fileDialogs;
    std::vector<QUrl> openedUrls;
    QStringList unexpected;

    // Fails the running test when something was shown that the script did not expect, or a
    // scripted answer was left unused.
    void VerifyUsedUp() const {
        QVERIFY2(unexpected.isEmpty(), qPrintable(unexpected.join(" | ")));
        QVERIFY(answers.empty());
        QVERIFY(modalScripts.empty());
        QVERIFY(fileAnswers.empty());
    }

    QStringList Texts() const {
        QStringList texts;
        for (const Shown& box : shown) {
            texts << box.text;
        }
        return texts;
    }

    MessageAnswer ShowMessage(QWidget* /*parent*/, MessageKind kind, const QString& text,
                              MessageButtons buttons) override {
        shown.push_back({kind, text, buttons});
        if (buttons == MessageButtons::Ok) {
            return MessageAnswer::Ok;
        }
        if (answers.empty()) {
            unexpected << text;
            return buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Cancel;
        }
        MessageAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }

    std::optional<QString> ExecuteFileDialog(
        QWidget* /*parent*/, FileDialogOptions& options,
        const std::function<void(const QString&)>& selectionChanged) override {
        fileDialogs.push_back(options);
        if (fileAnswers.empty()) {
            unexpected << QStringLiteral("file dialog ") + options.title;
            return std::nullopt;
        }
        FileAnswer answer = fileAnswers.front();
        fileAnswers.pop_front();
        for (const QString& selection : answer.selections) {
            if (selectionChanged) {
                selectionChanged(selection);
            }
        }
        return answer.result;
    }

    int ExecuteModal(QDialog& dialog) override {
        if (modalScripts.empty()) {
            unexpected << QStringLiteral("modal dialog ") + dialog.windowTitle();
            return QDialog::Rejected;
        }
        std::function<void(QDialog&)> script = modalScripts.front();
        modalScripts.pop_front();
        dialog.setResult(QDialog::Rejected);
        dialog.show();
        script(dialog);
        if (dialog.isVisible()) {
            unexpected << QStringLiteral("still open: ") + dialog.windowTitle();
            dialog.hide();
        }
        return dialog.result();
    }

    void OpenUrl(const QUrl& url) override { openedUrls.push_back(url); }
};

}  // namespace parlix::testing

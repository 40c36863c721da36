#include "editor/text_input_form.h"

#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTextCursor>
#include <QTextDocument>

#include "ui/dialogs.h"
#include "ui/look.h"
#include "ui/text_input_rules.h"

namespace parlix {

namespace {

constexpr int kFontHeight = 10;

}  // namespace

TfmTextInput::TfmTextInput(Dialogs& dialogs, QWidget* parent) : QDialog(parent), dialogs_(dialogs) {
    setObjectName(QStringLiteral("fmTextInput"));
    setFont(WindowFont(kFontHeight));
    setWindowTitle(QStringLiteral("Komponenten-Eigenschaften"));
    setFixedSize(472, 228);
    setModal(true);
    CreateControls();
}

void TfmTextInput::CreateControls() {
    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setGeometry(8, 8, 457, 209);

    LMemoCaption = new QLabel(QStringLiteral("Text:"), Panel1);
    LMemoCaption->setObjectName(QStringLiteral("LMemoCaption"));
    LMemoCaption->move(18, 8);
    LMemoCaption->adjustSize();

    mProperties = new QPlainTextEdit(Panel1);
    mProperties->setObjectName(QStringLiteral("mProperties"));
    mProperties->setGeometry(18, 24, 423, 121);
    // Long lines wrap at the box's edge, also where they have no space to break at.
    mProperties->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    mProperties->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    mProperties->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    mProperties->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    mProperties->setTabChangesFocus(true);
    LMemoCaption->setBuddy(mProperties);

    btSave = new QPushButton(QStringLiteral("OK"), Panel1);
    btSave->setObjectName(QStringLiteral("btSave"));
    btSave->setGeometry(16, 158, 113, 33);
    connect(btSave, &QPushButton::clicked, this, [this] { btSaveClick(); });

    btCancel = new QPushButton(QStringLiteral("Abbrechen"), Panel1);
    btCancel->setObjectName(QStringLiteral("btCancel"));
    btCancel->setGeometry(328, 158, 113, 33);
    connect(btCancel, &QPushButton::clicked, this, [this] { btCancelClick(); });

    setTabOrder(mProperties, btSave);
    setTabOrder(btSave, btCancel);
}

QString TfmTextInput::JoinedText() const {
    // The raw text: toPlainText() would turn no-break spaces into plain ones.
    QString text = mProperties->document()->toRawText();
    text.removeIf([](QChar c) {
        return c == QChar::ParagraphSeparator || c == QChar::LineSeparator ||
               c == QLatin1Char('\n') || c == QLatin1Char('\r');
    });
    return text;
}

void TfmTextInput::btSaveClick() {
    const QString text = JoinedText();
    // Refused here rather than altered or cut on the way into the table.
    if (std::optional<QString> character = FirstUnstorableCharacter(text)) {
        dialogs_.ShowInformation(this, UnstorableCharacterMessage(*character));
        return;
    }
    if (MaxLength > 0 && text.size() > MaxLength) {
        dialogs_.ShowInformation(this, QStringLiteral("Der Text darf höchstens %1 Zeichen lang "
                                                      "sein; er ist %2 Zeichen lang.")
                                           .arg(MaxLength)
                                           .arg(text.size()));
        return;
    }
    accept();
}

void TfmTextInput::btCancelClick() {
    reject();
}

void TfmTextInput::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    mProperties->setFocus();
    QTextCursor start = mProperties->textCursor();
    start.movePosition(QTextCursor::Start);  // also drops a selection
    mProperties->setTextCursor(start);
}

}  // namespace parlix

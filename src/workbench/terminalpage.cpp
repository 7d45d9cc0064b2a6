#include "workbench/terminalpage.h"

#include "common/bits.h"
#include "common/codec.h"
#include "common/errors.h"
#include "link/link.h"
#include "session/offthread.h"
#include "workbench/context.h"
#include "workbench/look.h"
#include "workbench/messages.h"
#include "workbench/pagelook.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QStyleOptionComboBox>
#include <algorithm>

namespace obd {

namespace {

QLabel* label(const QString& caption, QPoint at, QWidget* parent, const QString& name = {}) {
    auto* l = new QLabel(caption, parent);
    if (!name.isEmpty())
        named(l, name);
    l->move(at);
    return l;
}

QLineEdit* edit(const QString& name, QRect place, QWidget* parent) {
    auto* e = named(new QLineEdit(parent), name);
    e->setGeometry(place);
    return e;
}

QComboBox* combo(const QString& name, int first, int last, QRect place, QWidget* parent) {
    auto* c = named(new QComboBox(parent), name);
    c->setEditable(true);
    for (int v = first; v <= last; ++v)
        c->addItem(QStringLiteral("%1").arg(v, 2, 16, QLatin1Char('0')).toUpper());
    c->setGeometry(place);
    return c;
}

} // namespace

TerminalPage::TerminalPage(WorkbenchContext& ctx, QWidget* parent) : QWidget(parent), m_ctx(ctx) {
    setObjectName(QStringLiteral("Terminal"));
    const auto button = [this](const QString& name, const QString& caption, QRect place,
                               QWidget* parent, void (TerminalPage::*handler)()) {
        auto* b = named(new QPushButton(caption, parent), name);
        b->setGeometry(place);
        connect(b, &QPushButton::clicked, this, guarded(m_ctx.messages, this, handler));
        return b;
    };

    FlatEdit1 = edit(QStringLiteral("FlatEdit1"), QRect(8, 8, 193, 21), this);
    FlatEdit1->setStyleSheet(look::WhiteFieldStyle());
    button(QStringLiteral("FlatButton5"), QStringLiteral("Senden"), QRect(208, 8, 81, 25), this,
           &TerminalPage::SendenClick);
    FlatEdit2 = edit(QStringLiteral("FlatEdit2"), QRect(8, 32, 193, 21), this);
    FlatEdit2->setStyleSheet(look::WhiteFieldStyle());

    QLabel* binToInt =
        label(QStringLiteral("BinToInt"), QPoint(8, 56), this, QStringLiteral("Label4"));
    Edit1 = edit(QStringLiteral("Edit1"), QRect(8, 72, 121, 21), this);
    labelFor(binToInt, Edit1);
    Edit2 = edit(QStringLiteral("Edit2"), QRect(136, 72, 121, 21), this);
    Label1 = label(QStringLiteral("Label1"), QPoint(264, 72), this, QStringLiteral("Label1"));
    Label1->setAccessibleDescription(QStringLiteral("Bit7"));

    QLabel* hexToBin =
        label(QStringLiteral("HexToBin"), QPoint(8, 96), this, QStringLiteral("Label28"));
    Edit3 = edit(QStringLiteral("Edit3"), QRect(8, 112, 121, 21), this);
    labelFor(hexToBin, Edit3);
    Edit5 = edit(QStringLiteral("Edit5"), QRect(136, 112, 121, 21), this);
    Edit4 = edit(QStringLiteral("Edit4"), QRect(264, 112, 121, 21), this);
    // Designed 41 wide at a pitch of 40; a wider font widens both, so no box
    // sits on its neighbour's caption.
    int bitWidth = 41;
    for (int i = 0; i < 8; ++i) {
        m_bits[size_t(i)] = named(new QCheckBox(QStringLiteral("Bit%1").arg(7 - i), this),
                                  QStringLiteral("cb%1").arg(i + 1));
        bitWidth = std::max(bitWidth, m_bits[size_t(i)]->sizeHint().width() + 4);
    }
    for (int i = 0; i < 8; ++i)
        m_bits[size_t(i)]->setGeometry(16 + (bitWidth - 1) * i, 136, bitWidth, 17);

    auto* panel = named(new QFrame(this), QStringLiteral("FlatPanel10"));
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setGeometry(8, 168, 465, 201);
    // Mode and PID boxes are designed 33 wide; where their two characters and
    // the arrow need more, they widen and the result field gives the room.
    FlatComboBox1 = combo(QStringLiteral("FlatComboBox1"), 1, 9, QRect(8, 28, 33, 21), panel);
    QStyleOptionComboBox option;
    option.initFrom(FlatComboBox1);
    option.editable = true;
    const QSize text(FlatComboBox1->fontMetrics().horizontalAdvance(QStringLiteral("FF")) + 8, 21);
    const int comboWidth =
        std::max(33, FlatComboBox1->style()
                         ->sizeFromContents(QStyle::CT_ComboBox, &option, text, FlatComboBox1)
                         .width());
    const int extra = comboWidth - 33;
    FlatComboBox1->resize(comboWidth, 21);
    FlatComboBox2 = combo(QStringLiteral("FlatComboBox2"), 0, 0x20,
                          QRect(48 + extra, 28, comboWidth, 21), panel);
    FlatEdit3 = edit(QStringLiteral("FlatEdit3"), QRect(88 + 2 * extra, 28, 193, 21), panel);
    labelFor(label(QStringLiteral("Mode"), QPoint(8, 12), panel, QStringLiteral("Label3")),
             FlatComboBox1);
    labelFor(label(QStringLiteral("PID"), QPoint(48 + extra, 12), panel, QStringLiteral("Label7")),
             FlatComboBox2);
    labelFor(label(QStringLiteral("Result"), QPoint(88 + 2 * extra, 12), panel,
                   QStringLiteral("Label8")),
             FlatEdit3);
    FlatEdit3->setReadOnly(true);
    QPushButton* rowButtons[] = {
        button(QStringLiteral("FlatButton1"), QStringLiteral("Send"), QRect(288, 28, 49, 21), panel,
               &TerminalPage::FlatButton1Click),
        button(QStringLiteral("FlatSpeedButton1"), QStringLiteral("Save to File"),
               QRect(344, 28, 65, 21), panel, &TerminalPage::FlatSpeedButton1Click),
        button(QStringLiteral("FlatSpeedButton2"), QStringLiteral("Clear"), QRect(416, 28, 41, 21),
               panel, &TerminalPage::FlatSpeedButton2Click)};
    // From the right edge leftwards, each button as wide as its caption needs;
    // the result field ends before the first of them.
    int right = 457;
    for (int i = 2; i >= 0; --i) {
        QPushButton* b = rowButtons[i];
        const int width = buttonWidth(b, b->width());
        b->setGeometry(right - width, 28, width, 21);
        right -= width + 7;
    }
    FlatEdit3->resize(right - FlatEdit3->x(), 21);
    FlatMemo1 = named(new QPlainTextEdit(panel), QStringLiteral("FlatMemo1"));
    FlatMemo1->setGeometry(8, 56, 449, 137);
    FlatMemo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    connect(Edit1, &QLineEdit::textChanged, this,
            guarded(m_ctx.messages, this, &TerminalPage::Edit1Change));
    connect(Edit3, &QLineEdit::textChanged, this,
            guarded(m_ctx.messages, this, &TerminalPage::Edit3Change));
}

QString TerminalPage::exchange(const QString& command) {
    // The polling worker may still be finishing its request on the same line.
    StopPollerAndWait(m_ctx);
    BusyCursor busy;
    QString reply;
    RunOffThread([&] {
        Link& link = *m_ctx.link;
        link.SendCommand(command);
        reply = link.ReceiveReply();
    });
    return reply;
}

void TerminalPage::SendenClick() {
    FlatEdit2->setText(exchange(FlatEdit1->text()));
}

void TerminalPage::FlatButton1Click() {
    const QString mode = FlatComboBox1->currentText();
    const QString pid = FlatComboBox2->currentText();
    FlatEdit3->setText(exchange(mode + pid));
    FlatMemo1->appendPlainText(QStringLiteral("Mode: %1 PID: %2").arg(mode, pid));
    FlatMemo1->appendPlainText(FlatEdit3->text());
    FlatMemo1->appendPlainText(QString());
}

void TerminalPage::FlatSpeedButton1Click() {
    const QString path = m_ctx.paths.transcriptFile();
    const QString text = FlatMemo1->toPlainText();
    QByteArray bytes;
    if (!text.isEmpty()) {
        for (const QString& line : text.split(QLatin1Char('\n')))
            bytes += toCp1252(line) + "\r\n";
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw FileError(QStringLiteral("Datei %1 kann nicht erstellt werden").arg(path));
    if (file.write(bytes) != bytes.size() || !file.commit())
        throw FileError(QStringLiteral("Datei %1 kann nicht geschrieben werden").arg(path));
}

void TerminalPage::FlatSpeedButton2Click() {
    FlatMemo1->clear();
}

void TerminalPage::Edit1Change() {
    const qint32 value = BinToInt(Edit1->text());
    Edit2->setText(QString::number(value));
    Label1->setText(TestBit(value, 7) ? QStringLiteral("1") : QStringLiteral("0"));
}

void TerminalPage::Edit3Change() {
    if (Edit3->text().isEmpty())
        return;
    const qint32 value = HexToInt(Edit3->text());
    Edit5->setText(QString::number(value));
    QString bits;
    IntToBin(value, 7, bits);
    Edit4->setText(bits);
    for (int i = 0; i < 8; ++i)
        m_bits[size_t(i)]->setChecked(TestBit(value, quint8(7 - i)));
}

} // namespace obd

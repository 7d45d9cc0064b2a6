#include "workbench/terminalpage.h"

#include "common/bits.h"
#include "common/codec.h"
#include "common/errors.h"
#include "link/link.h"
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
    };

    FlatEdit1 = edit(QStringLiteral("FlatEdit1"), QRect(8, 8, 193, 21), this);
    FlatEdit1->setStyleSheet(look::WhiteFieldStyle());
    button(QStringLiteral("FlatButton5"), QStringLiteral("Senden"), QRect(208, 8, 81, 25), this,
           &TerminalPage::SendenClick);
    FlatEdit2 = edit(QStringLiteral("FlatEdit2"), QRect(8, 32, 193, 21), this);
    FlatEdit2->setStyleSheet(look::WhiteFieldStyle());

    label(QStringLiteral("BinToInt"), QPoint(8, 56), this, QStringLiteral("Label4"));
    Edit1 = edit(QStringLiteral("Edit1"), QRect(8, 72, 121, 21), this);
    Edit2 = edit(QStringLiteral("Edit2"), QRect(136, 72, 121, 21), this);
    Label1 = label(QStringLiteral("Label1"), QPoint(264, 72), this, QStringLiteral("Label1"));

    label(QStringLiteral("HexToBin"), QPoint(8, 96), this, QStringLiteral("Label28"));
    Edit3 = edit(QStringLiteral("Edit3"), QRect(8, 112, 121, 21), this);
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
    label(QStringLiteral("Mode"), QPoint(8, 12), panel, QStringLiteral("Label3"));
    label(QStringLiteral("PID"), QPoint(48, 12), panel, QStringLiteral("Label7"));
    label(QStringLiteral("Result"), QPoint(88, 12), panel, QStringLiteral("Label8"));
    FlatComboBox1 = combo(QStringLiteral("FlatComboBox1"), 1, 9, QRect(8, 28, 33, 21), panel);
    FlatComboBox2 = combo(QStringLiteral("FlatComboBox2"), 0, 0x20, QRect(48, 28, 33, 21), panel);
    FlatEdit3 = edit(QStringLiteral("FlatEdit3"), QRect(88, 28, 193, 21), panel);
    FlatEdit3->setReadOnly(true);
    button(QStringLiteral("FlatButton1"), QStringLiteral("Send"), QRect(288, 28, 49, 21), panel,
           &TerminalPage::FlatButton1Click);
    button(QStringLiteral("FlatSpeedButton1"), QStringLiteral("Save to File"),
           QRect(344, 28, 65, 21), panel, &TerminalPage::FlatSpeedButton1Click);
    button(QStringLiteral("FlatSpeedButton2"), QStringLiteral("Clear"), QRect(416, 28, 41, 21),
           panel, &TerminalPage::FlatSpeedButton2Click);
    FlatMemo1 = named(new QPlainTextEdit(panel), QStringLiteral("FlatMemo1"));
    FlatMemo1->setGeometry(8, 56, 449, 137);
    FlatMemo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    connect(Edit1, &QLineEdit::textChanged, this,
            guarded(m_ctx.messages, this, &TerminalPage::Edit1Change));
    connect(Edit3, &QLineEdit::textChanged, this,
            guarded(m_ctx.messages, this, &TerminalPage::Edit3Change));
}

QString TerminalPage::exchange(const QString& command) {
    // The polling worker may still be finishing its pass on the same line.
    WaitForPoller(m_ctx);
    m_ctx.link->SendCommand(command);
    return m_ctx.link->ReceiveReply();
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

#include "workbench/infobox.h"

#include "common/version.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace obd {

namespace {

enum class Look { Title, Plain, Link };

struct InfoLine {
    const char* name;
    const char* text;
    Look look;
    bool withVersion = false; // the program's version follows the text
};

constexpr InfoLine kLines[] = {
    {"lblProgram", "OBD-II Torvane", Look::Title},
    {"lblVersion", "Version ", Look::Plain, true},
    {"lblMaker", "Quorix", Look::Plain},
    {"lblWeb", "www.quorix.example", Look::Link},
    {"lblMail", "info@quorix.example", Look::Link},
};

constexpr int kClientWidth = 179;
constexpr int kClientHeight = 138;
constexpr int kTitlePixels = 16;

} // namespace

TfInfo::TfInfo(QWidget* mainWindow) : QDialog(mainWindow) {
    setObjectName(QStringLiteral("fInfo"));
    setWindowTitle(QStringLiteral("Info"));
    setModal(true);
    setFixedSize(kClientWidth, kClientHeight);
    if (mainWindow) {
        setPalette(mainWindow->palette());
        setFont(mainWindow->font());
    }
    setAutoFillBackground(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(2);
    for (const InfoLine& line : kLines) {
        QString text = QString::fromUtf8(line.text);
        if (line.withVersion)
            text += QString::fromLatin1(ProgramVersion);
        auto* label = new QLabel(text, this);
        label->setObjectName(QString::fromLatin1(line.name));
        label->setAlignment(Qt::AlignHCenter);
        QFont f = font();
        if (line.look == Look::Title) {
            f.setPixelSize(kTitlePixels);
            f.setBold(true);
        }
        if (line.look == Look::Link) {
            // Shown as a link, without an action on click.
            f.setUnderline(true);
            QPalette p = label->palette();
            p.setColor(QPalette::WindowText, Qt::blue);
            label->setPalette(p);
            label->setCursor(Qt::PointingHandCursor);
        }
        label->setFont(f);
        layout->addWidget(label);
    }
    layout->addStretch(1);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("dxButton1"));
    ok->setDefault(true);
    layout->addWidget(ok, 0, Qt::AlignHCenter);
    connect(ok, &QPushButton::clicked, this, &TfInfo::FlatButton1Click);
}

void TfInfo::FlatButton1Click() {
    accept();
}

void TfInfo::ShowModal() {
    if (const QWidget* main = parentWidget()) {
        const QRect frame = main->frameGeometry();
        move(frame.center() - QPoint(width() / 2, height() / 2));
    }
    exec();
}

} // namespace obd

#include "workbench/mainwindow.h"

#include "widgets/pictures.h"
#include "workbench/look.h"
#include "workbench/messages.h"
#include "workbench/pagelook.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolButton>
#include <QWindow>

// The caption-less frame of the main window: the self-drawn title strip with
// its three buttons, and resizing by the window's edges.

namespace obd {

namespace {

const QString Maximise = QStringLiteral("Maximieren");
const QString Restore = QStringLiteral("Wiederherstellen");

// The self-drawn title strip: grey stripes on every second row, the title in
// a button-face box in the middle; any mouse button on it drags the window.
class TitleStrip : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QRect r = rect();
        painter.setPen(look::TitleStripe);
        for (int i = r.top(); i <= r.bottom(); ++i) {
            const int y = r.top() + 2 * i;
            if (y > r.bottom())
                break;
            painter.drawLine(r.left() + 1, y, r.right() - 1, y);
        }
        const QString title = QLatin1Char(' ') + ApplicationTitle() + QLatin1Char(' ');
        const QString shown = painter.fontMetrics().elidedText(title, Qt::ElideRight, r.width());
        QRect box = painter.fontMetrics().boundingRect(r, Qt::AlignCenter, shown);
        painter.fillRect(box, palette().button());
        painter.setPen(palette().buttonText().color());
        painter.drawText(box, Qt::AlignCenter, shown);
    }

    void mousePressEvent(QMouseEvent* event) override {
        QWidget* top = window();
        if (top->windowHandle() && top->windowHandle()->startSystemMove()) {
            event->accept();
            return;
        }
        m_dragOffset = event->globalPosition().toPoint() - top->frameGeometry().topLeft();
        m_dragging = true;
    }
    // Where the platform cannot move the window itself, it follows the mouse.
    void mouseMoveEvent(QMouseEvent* event) override {
        if (m_dragging)
            window()->move(event->globalPosition().toPoint() - m_dragOffset);
    }
    void mouseReleaseEvent(QMouseEvent*) override { m_dragging = false; }

private:
    QPoint m_dragOffset;
    bool m_dragging = false;
};

} // namespace

QWidget* TfMain::makeTitleStrip() {
    auto* strip = named(new TitleStrip(this), QStringLiteral("dxContainer7"));
    strip->setAccessibleName(ApplicationTitle());
    strip->setFixedHeight(15);
    auto* layout = new QHBoxLayout(strip);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addStretch(1);
    // The glyph buttons are announced by what their glyph means.
    const auto button = [&](const char* name, const QString& meaning, TitleGlyph g, auto handler) {
        auto* b = named(new QToolButton(strip), QString::fromLatin1(name));
        b->setAccessibleName(meaning);
        b->setFixedSize(15, 15);
        b->setIcon(QIcon(TitleButtonGlyph(g)));
        b->setAutoRaise(false);
        connect(b, &QToolButton::clicked, this, [this, handler] { m_messages.Guard(handler); });
        layout->addWidget(b);
        return b;
    };
    button("tbMinimize", QStringLiteral("Minimieren"), TitleGlyph::Minimize,
           [this] { tbMinimizeClick(); });
    tbMaximize =
        button("tbMaximize", Maximise, TitleGlyph::Maximize, [this] { tbMaximizeClick(); });
    button("tbClose", QStringLiteral("Schließen"), TitleGlyph::Close, [this] { close(); });
    return strip;
}

void TfMain::tbMaximizeClick() {
    if (windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen)) {
        showNormal();
        tbMaximize->setIcon(QIcon(TitleButtonGlyph(TitleGlyph::Maximize)));
        tbMaximize->setAccessibleName(Maximise);
    } else {
        showMaximized();
        tbMaximize->setIcon(QIcon(TitleButtonGlyph(TitleGlyph::Restore)));
        tbMaximize->setAccessibleName(Restore);
    }
}

void TfMain::tbMinimizeClick() {
    showMinimized();
}

void TfMain::keyPressEvent(QKeyEvent* event) {
    // Enter on a focused button presses it, as Space does; the buttons leave
    // Enter to their window, since none of them is a dialog's default.
    auto* button = qobject_cast<QAbstractButton*>(focusWidget());
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && button && !button->isCheckable() && button->isEnabled()) {
        button->animateClick();
        return;
    }
    QWidget::keyPressEvent(event);
}

Qt::Edges TfMain::edgesAt(QPoint p) const {
    Qt::Edges edges;
    if (p.x() < BorderWidth)
        edges |= Qt::LeftEdge;
    if (p.x() >= width() - BorderWidth)
        edges |= Qt::RightEdge;
    if (p.y() < BorderWidth)
        edges |= Qt::TopEdge;
    if (p.y() >= height() - BorderWidth)
        edges |= Qt::BottomEdge;
    return edges;
}

void TfMain::mousePressEvent(QMouseEvent* event) {
    const Qt::Edges edges = edgesAt(event->position().toPoint());
    if (edges && windowHandle())
        windowHandle()->startSystemResize(edges);
}

void TfMain::mouseMoveEvent(QMouseEvent* event) {
    const Qt::Edges edges = edgesAt(event->position().toPoint());
    const bool horizontal = edges & (Qt::LeftEdge | Qt::RightEdge);
    const bool vertical = edges & (Qt::TopEdge | Qt::BottomEdge);
    if (horizontal && vertical)
        setCursor(edges == (Qt::LeftEdge | Qt::TopEdge) || edges == (Qt::RightEdge | Qt::BottomEdge)
                      ? Qt::SizeFDiagCursor
                      : Qt::SizeBDiagCursor);
    else if (horizontal)
        setCursor(Qt::SizeHorCursor);
    else if (vertical)
        setCursor(Qt::SizeVerCursor);
    else
        unsetCursor();
}

} // namespace obd

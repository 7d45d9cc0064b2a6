#include "widgets/elidinglabel.h"

#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

namespace obd {

bool ElidingLabel::Elided() const {
    return fontMetrics().horizontalAdvance(text()) > contentsRect().width();
}

void ElidingLabel::paintEvent(QPaintEvent* event) {
    if (!Elided()) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    const QRect box = contentsRect();
    painter.setPen(palette().color(foregroundRole()));
    painter.drawText(box, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     fontMetrics().elidedText(text(), Qt::ElideRight, box.width()));
}

bool ElidingLabel::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip && toolTip().isEmpty()) {
        if (Elided())
            QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), text(), this);
        else
            QToolTip::hideText();
        return true;
    }
    return QLabel::event(event);
}

} // namespace obd

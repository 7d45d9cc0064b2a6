// A one-line label for texts that come from outside (device paths, chip
// replies): a text wider than the label ends in an ellipsis at the right
// instead of being cut, and its tooltip shows it whole. text() is the whole text.
#pragma once

#include <QLabel>

namespace obd {

class ElidingLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

    // Whether the text is wider than the label and so shown shortened.
    bool Elided() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;
};

} // namespace obd

// The about box fInfo: program name, version, maker and the maker's contact,
// with one OK button. Made once at start and shown modally on request.
#pragma once

#include <QDialog>

namespace obd {

class TfInfo : public QDialog {
    Q_OBJECT
public:
    // The box takes its colours and font from the main window.
    explicit TfInfo(QWidget* mainWindow);

    // Shows the box centred over the main window; returns when it is closed.
    void ShowModal();

private:
    void FlatButton1Click();
};

} // namespace obd

// The "Terminal" page: a free command and a composed service request sent
// through the command exchange, the transcript of the composed requests with
// "Save to File" and "Clear", and the binary and hexadecimal converters.
#pragma once

#include <QWidget>
#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace obd {

struct WorkbenchContext;

class TerminalPage : public QWidget {
    Q_OBJECT
public:
    TerminalPage(WorkbenchContext& ctx, QWidget* parent = nullptr);

    void SendenClick();
    void FlatButton1Click();
    void FlatSpeedButton1Click();
    void FlatSpeedButton2Click();
    void Edit1Change();
    void Edit3Change();

private:
    QString exchange(const QString& command);

    WorkbenchContext& m_ctx;
    QLineEdit* FlatEdit1 = nullptr;
    QLineEdit* FlatEdit2 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* Edit3 = nullptr;
    QLineEdit* Edit4 = nullptr;
    QLineEdit* Edit5 = nullptr;
    std::array<QCheckBox*, 8> m_bits{}; // cb1 (bit 7) .. cb8 (bit 0)
    QComboBox* FlatComboBox1 = nullptr;
    QComboBox* FlatComboBox2 = nullptr;
    QLineEdit* FlatEdit3 = nullptr;
    QPlainTextEdit* FlatMemo1 = nullptr;
};

} // namespace obd

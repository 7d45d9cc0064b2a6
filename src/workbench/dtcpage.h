// The "DTC" page: reads the monitor status and the stored trouble codes,
// lists the codes sorted with their descriptions, and clears them in the
// vehicle after a confirmation.
#pragma once

#include <QWidget>

class QListWidget;
class QPlainTextEdit;

namespace obd {

struct WorkbenchContext;

class DtcPage : public QWidget {
    Q_OBJECT
public:
    DtcPage(WorkbenchContext& ctx, QWidget* parent = nullptr);

    void ShowTroubleCodes();
    void DeleteTroubleCodes();

    void TroubleCodesReadClick();
    void FlatButton2Click();
    void DTC_ListBoxClick();

private:
    QString codeDescription(const QString& code) const;
    QWidget* makePanel(const QString& title, QListWidget*& list, const QString& listName,
                       QPlainTextEdit*& memo, const QString& memoName);

    WorkbenchContext& m_ctx;
    QListWidget* DTC_ListBox = nullptr;
    QPlainTextEdit* DTC_Memo = nullptr;
    QListWidget* ListBox1 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
};

} // namespace obd

// The "DTC" page: has the session read the monitor status, the stored
// trouble codes and the pending and permanent ones, lists the codes with their
// descriptions, and has them cleared in the vehicle after a confirmation.
#pragma once

#include "services/ecuanswers.h"

#include <QWidget>
#include <optional>

class QListWidget;
class QPlainTextEdit;

namespace obd {

struct WorkbenchContext;
class TroubleCodes;

class DtcPage : public QWidget {
    Q_OBJECT
public:
    DtcPage(WorkbenchContext& ctx, QWidget* parent = nullptr);

    void ShowTroubleCodes(const QStringList& codes);
    // The pending list: each code with its unit when several units answer,
    // permanent codes marked.
    void ShowPendingCodes(const std::optional<QList<UnitTroubleCode>>& pending,
                          const std::optional<QList<UnitTroubleCode>>& permanent);
    void DeleteTroubleCodes();

    void TroubleCodesReadClick();
    void FlatButton2Click();
    void DTC_ListBoxClick();
    void ListBox1Click();

private:
    QString codeDescription(const QString& code) const;
    QWidget* makePanel(const QString& title, QListWidget*& list, const QString& listName,
                       QPlainTextEdit*& memo, const QString& memoName);

    void clearList();
    void showCleared();

    WorkbenchContext& m_ctx;
    TroubleCodes* m_codes = nullptr;
    QListWidget* DTC_ListBox = nullptr;
    QPlainTextEdit* DTC_Memo = nullptr;
    QListWidget* ListBox1 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
};

} // namespace obd

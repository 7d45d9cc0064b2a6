// The "DTC" page: has the session read the monitor status, the stored
// trouble codes and the pending and permanent ones, lists the codes with their
// descriptions, and has them cleared in the vehicle after a confirmation.
#pragma once

#include "services/ecuanswers.h"
#include "session/troublecodes.h"
#include "store/visits.h"

#include <QStringList>
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

    // The stored list: each code with its unit when several units answer.
    void ShowTroubleCodes(const QList<UnitTroubleCode>& codes);
    // The pending list: each code with its unit when several units answer,
    // permanent codes marked. A list that was not read or could not be read
    // lists nothing.
    void ShowPendingCodes(const CodeListReading& pending, const CodeListReading& permanent);
    // A saved visit's codes in place of the car's reading, each with its
    // saved description; and back to the codes of the reading.
    void ShowSavedVisit(const VisitRecord& visit);
    void EndSavedVisit();
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
    // Replaces the reading's stored codes (stored) or its pending and
    // permanent ones with read; the stored ones stay first, as listed.
    void replaceCodes(bool stored, const std::vector<VisitCode>& read);
    // The lower list: pending codes, then permanent ones, each followed by
    // its unit when known; a permanent code is marked, and one that is also
    // pending is listed once. saved: the items carry their saved descriptions.
    void listPending(const std::vector<VisitCode>& codes, bool saved);
    // Lists the codes without taking them into the reading: stored codes in
    // the upper list, pending and permanent ones in the lower.
    void listCodes(const std::vector<VisitCode>& codes);
    // Ends the saved visit's view before the car is asked.
    void endSavedVisit();
    void showCleared();

    WorkbenchContext& m_ctx;
    TroubleCodes* m_codes = nullptr;
    QListWidget* DTC_ListBox = nullptr;
    QPlainTextEdit* DTC_Memo = nullptr;
    QListWidget* ListBox1 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    // What the read under way could not read, said once at its end.
    QStringList m_readFailures;
};

} // namespace obd

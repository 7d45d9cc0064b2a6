#include "workbench/messages.h"

#include "common/errors.h"
#include "link/transport.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace obd {

namespace {

const QString CaptionWarning = QStringLiteral("Warnung");
const QString CaptionError = QStringLiteral("Fehler");
const QString CaptionInformation = QStringLiteral("Information");
const QString CaptionConfirmation = QStringLiteral("Bestätigung");
const QString ReconnectQuestion = QStringLiteral("\r\n\r\nJetzt neu verbinden?");

} // namespace

namespace {
QString& applicationTitle() {
    static QString title;
    return title;
}
} // namespace

void SetApplicationTitle(const QString& title) {
    applicationTitle() = title;
}

QString ApplicationTitle() {
    return applicationTitle();
}

MessageBoxes::MessageBoxes(QWidget* parent) : m_parent(parent) {}

void MessageBoxes::Warning(const QString& text) {
    show(Kind::Warning, CaptionWarning, text, {.ok = true});
}

void MessageBoxes::Error(const QString& text) {
    show(Kind::Error, CaptionError, text, {.ok = true});
}

void MessageBoxes::Information(const QString& text) {
    show(Kind::Information, CaptionInformation, text, {.ok = true});
}

void MessageBoxes::Plain(const QString& text) {
    show(Kind::Plain, ApplicationTitle(), text, {.ok = true});
}

BoxButton MessageBoxes::AskYesNo(const QString& text) {
    return show(Kind::Warning, CaptionWarning, text, {.yes = true, .no = true});
}

BoxButton MessageBoxes::AskYesNoCancel(const QString& text) {
    return show(Kind::Warning, CaptionWarning, text, {.yes = true, .no = true, .cancel = true});
}

BoxButton MessageBoxes::AskOkCancel(const QString& text) {
    return show(Kind::Question, CaptionConfirmation, text, {.ok = true, .cancel = true});
}

BoxButton MessageBoxes::ErrorYesNo(const QString& text) {
    return show(Kind::Error, CaptionError, text, {.yes = true, .no = true});
}

void MessageBoxes::Guard(const std::function<void()>& body) {
    try {
        body();
    } catch (const AdapterGone& e) {
        if (!reconnect) {
            Error(e.text());
        } else if (ErrorYesNo(e.text() + ReconnectQuestion) == BoxButton::Yes) {
            Guard(reconnect);
        }
    } catch (const obd::Error& e) {
        Error(e.text());
    } catch (const std::exception& e) {
        Error(QString::fromLocal8Bit(e.what()));
    }
}

BoxButton MessageBoxes::show(Kind kind, const QString& caption, const QString& text,
                             Buttons buttons) {
    if (answer)
        return answer(caption, text);

    QMessageBox box(m_parent);
    box.setWindowTitle(caption);
    box.setText(text);
    switch (kind) {
    case Kind::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case Kind::Error:
        box.setIcon(QMessageBox::Critical);
        break;
    case Kind::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case Kind::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case Kind::Plain:
        box.setIcon(QMessageBox::NoIcon);
        break;
    }
    QList<std::pair<QAbstractButton*, BoxButton>> map;
    auto add = [&](bool wanted, const QString& label, QMessageBox::ButtonRole role, BoxButton id) {
        if (wanted)
            map.append({box.addButton(label, role), id});
    };
    add(buttons.yes, QStringLiteral("&Ja"), QMessageBox::YesRole, BoxButton::Yes);
    add(buttons.no, QStringLiteral("&Nein"), QMessageBox::NoRole, BoxButton::No);
    add(buttons.ok, QStringLiteral("OK"), QMessageBox::AcceptRole, BoxButton::Ok);
    add(buttons.cancel, QStringLiteral("Abbrechen"), QMessageBox::RejectRole, BoxButton::Cancel);
    box.setDefaultButton(qobject_cast<QPushButton*>(map.first().first));
    box.exec();
    for (const auto& [button, id] : map)
        if (box.clickedButton() == button)
            return id;
    // Closed with Escape or the window's close button: the answer that
    // changes nothing.
    return buttons.cancel ? BoxButton::Cancel : buttons.no ? BoxButton::No : BoxButton::Ok;
}

} // namespace obd

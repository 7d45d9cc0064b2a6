// The program's message boxes with their German captions and buttons, and the
// guard every event handler runs its body through: an error that ends the
// handler is shown in the general error box and the program goes on.
#pragma once

#include <QString>
#include <QWidget>
#include <functional>

namespace obd {

enum class BoxButton { Ok, Yes, No, Cancel };

// The application title: drawn in the title strip and the caption of the plain
// notice. It is kept apart from Qt's application display name, which the X11
// integration would append to every window and box title.
void SetApplicationTitle(const QString& title);
QString ApplicationTitle();

class MessageBoxes {
public:
    explicit MessageBoxes(QWidget* parent = nullptr);

    void Warning(const QString& text);
    void Error(const QString& text);
    void Information(const QString& text);
    // The notice for what this version cannot do: no icon, an OK button,
    // captioned with the application title.
    void Plain(const QString& text);
    // Warning boxes with a question.
    BoxButton AskYesNo(const QString& text);
    BoxButton AskYesNoCancel(const QString& text);
    // A confirmation box with OK and Abbrechen.
    BoxButton AskOkCancel(const QString& text);
    // An error box with Ja and Nein.
    BoxButton ErrorYesNo(const QString& text);

    // Runs body; an obd::Error or any other exception that ends it is shown
    // in the error box with its text, and the caller goes on. When the
    // adapter has gone (AdapterGone) and reconnect is set, the box asks
    // whether to connect again, and Ja runs reconnect (guarded in turn).
    void Guard(const std::function<void()>& body);
    std::function<void()> reconnect;

    // Tests set this to answer boxes without showing them (caption, text) ->
    // button.
    std::function<BoxButton(const QString& caption, const QString& text)> answer;

private:
    enum class Kind { Warning, Error, Information, Question, Plain };
    struct Buttons {
        bool ok = false, yes = false, no = false, cancel = false;
    };
    BoxButton show(Kind kind, const QString& caption, const QString& text, Buttons buttons);

    QWidget* m_parent;
};

} // namespace obd

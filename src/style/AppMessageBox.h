#pragma once

#include <QMessageBox>
#include <QPointer>

// A message box drawn with the application's own symbol rather than the toolkit's icon, and wide
// enough for its title, which window managers cut short in a narrow window. The title is also its
// text, above the informative text.
class AppMessageBox : public QMessageBox {
    Q_OBJECT
public:
    enum class Kind { question, warning, done };

    // The least width at which a title bar shows this title whole, its buttons beside it.
    static int widthForTitle(const QString& title);

    AppMessageBox(Kind kind, const QString& title, QWidget* parent);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QPointer<QLayout> m_strutted;
};

#pragma once

#include <QPointer>
#include <QWidget>

class GradientButton;
class QLineEdit;
class TextButton;

// "Add web or GitHub context": a sheet over the whole screen, which it dims, with the link field,
// "Cancel" and "Attach Link". Those two buttons close it, and so does Escape, as Cancel; each empties
// the field. While it is open Tab goes round its own controls only, and once it closes the focus
// goes back to where it was before.
class AILinkSheet : public QWidget {
    Q_OBJECT
public:
    static constexpr int sheetWidth = 520;

    explicit AILinkSheet(QWidget* parent);

    void present();
    void cancel();
    // Closes the sheet before handing the link on, as typed; the receiver trims and checks it.
    void submit();

signals:
    void linkSubmitted(const QString& link);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void close();

    QWidget* m_panel;
    QPointer<QWidget> m_returnFocus;
    QLineEdit* m_link;
    GradientButton* m_attach;
};

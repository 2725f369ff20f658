#pragma once

#include <QWidget>

class GradientButton;
class QLineEdit;
class TextButton;

// "Add web or GitHub context": a sheet over the whole screen, which it dims, with the link field,
// "Cancel" and "Attach Link". Only those two buttons close it, and both empty the field.
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
    void paintEvent(QPaintEvent* event) override;

private:
    QWidget* m_panel;
    QLineEdit* m_link;
    GradientButton* m_attach;
};

#include "AILinkSheet.h"

#include "style/Color.h"
#include "style/FieldLine.h"
#include "style/FieldLook.h"
#include "style/FocusOrder.h"
#include "style/Fonts.h"
#include "style/GradientButton.h"
#include "style/RoundedPanel.h"
#include "style/TextButton.h"
#include "style/TextLabel.h"

#include <QApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QVBoxLayout>

AILinkSheet::AILinkSheet(QWidget* parent) : QWidget(parent)
{
    setObjectName("linkSheet");
    auto* centre = new QVBoxLayout(this);
    centre->setAlignment(Qt::AlignCenter);
    m_panel = new RoundedPanel(12, Color::bgDeep(), this);
    m_panel->setFixedWidth(sheetWidth);
    centre->addWidget(m_panel);

    auto* stack = new QVBoxLayout(m_panel);
    stack->setContentsMargins(20, 20, 20, 20);
    stack->setSpacing(16);
    stack->addWidget(new TextLabel("Add web or GitHub context", 18, QFont::Bold, Color::white95(), m_panel));
    auto* about = new TextLabel("Paste a docs page, article, GitHub file, or README link. Quillmarsh will pull the "
                                "readable text and attach it to your next message.",
                                12, QFont::Normal, Color::white70(), m_panel);
    about->setWordWrap(true);
    stack->addWidget(about);
    m_link = new FieldLine(m_panel);
    m_link->setObjectName("linkField");
    m_link->setPlaceholderText("https://...");
    FieldLook::apply(*m_link, 14, 10, 14, 12);
    stack->addWidget(m_link);

    auto* buttons = new QHBoxLayout;
    auto* cancelButton = new TextButton("Cancel", Fonts::ui(13), Color::white70(), 10, m_panel);
    cancelButton->setObjectName("cancelLinkButton");
    m_attach = new GradientButton("Attach Link", Fonts::ui(13), QSize(14, 10), 10, m_panel);
    m_attach->setObjectName("attachLinkButton");
    buttons->addWidget(cancelButton);
    buttons->addStretch(1);
    buttons->addWidget(m_attach);
    stack->addLayout(buttons);

    connect(cancelButton, &TextButton::clicked, this, &AILinkSheet::cancel);
    connect(m_attach, &GradientButton::clicked, this, &AILinkSheet::submit);
    connect(m_link, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_attach->setEnabled(!text.trimmed().isEmpty()); });
    m_attach->setEnabled(false);
    parent->installEventFilter(this);
    hide();
}

void AILinkSheet::present()
{
    m_returnFocus = QApplication::focusWidget();
    setGeometry(parentWidget()->rect());
    show();
    raise();
    m_link->setFocus();
}

void AILinkSheet::cancel()
{
    m_link->clear();
    close();
}

void AILinkSheet::close()
{
    hide();
    if (m_returnFocus && m_returnFocus->isVisible())
        m_returnFocus->setFocus(Qt::OtherFocusReason);
    m_returnFocus = nullptr;
}

void AILinkSheet::submit()
{
    const QString link = m_link->text();
    m_link->clear();
    close();
    emit linkSubmitted(link);
}

bool AILinkSheet::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return QWidget::eventFilter(watched, event);
}

bool AILinkSheet::focusNextPrevChild(bool next)
{
    QList<QWidget*> stops = FocusOrder::of(this);
    stops.removeIf([this](const QWidget* widget) { return !widget->isVisibleTo(this) || !widget->isEnabled(); });
    if (stops.isEmpty())
        return false;
    const qsizetype at = stops.indexOf(QApplication::focusWidget());
    const qsizetype count = stops.size();
    const qsizetype to = at < 0 ? (next ? 0 : count - 1) : (at + (next ? 1 : count - 1)) % count;
    stops[to]->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

void AILinkSheet::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        cancel();
        return;
    }
    QWidget::keyPressEvent(event);
}

void AILinkSheet::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(0, 0, 0, 140));
}

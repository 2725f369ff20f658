#include "ResolutionView.h"

#include "DisplayModeRow.h"
#include "ResolutionModel.h"
#include "RestoreButton.h"
#include "style/ActivityIndicator.h"
#include "style/AppMessageBox.h"
#include "style/Color.h"
#include "style/FocusKeeper.h"
#include "style/GlassModifier.h"
#include "style/SymbolButton.h"
#include "style/SymbolView.h"
#include "style/TextLabel.h"

#include <QHBoxLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace {

GlassModifier* card(const QString& symbol, const QColor& symbolColor, const QString& title, const QString& objectName,
                    QWidget* parent, QHBoxLayout** header)
{
    auto* glass = new GlassModifier(16, 16, parent);
    glass->setObjectName(objectName);
    glass->body()->setSpacing(12);
    *header = new QHBoxLayout;
    (*header)->setSpacing(8);
    (*header)->addWidget(new SymbolView(symbol, 16, symbolColor, glass), 0, Qt::AlignVCenter);
    (*header)->addWidget(new TextLabel(title, 16, QFont::DemiBold, Color::white95(), glass), 0, Qt::AlignVCenter);
    (*header)->addStretch(1);
    glass->body()->addLayout(*header);
    return glass;
}

QWidget* captioned(const QString& caption, TextLabel** value, const QString& objectName, QWidget* parent)
{
    auto* column = new QWidget(parent);
    auto* stack = new QVBoxLayout(column);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(4);
    stack->addWidget(new TextLabel(caption, 10, QFont::Normal, Color::white50(), column));
    *value = new TextLabel(QString(), 14, QFont::DemiBold, Color::white95(), column);
    (*value)->setObjectName(objectName);
    stack->addWidget(*value);
    return column;
}

} // namespace

ResolutionView::ResolutionView(std::shared_ptr<DisplayModes> display, QWidget* parent)
    : ScreenColumn(parent), m_model(new ResolutionModel(std::move(display), this))
{
    addCards({statusHeader(), modeList()});

    connect(m_model, &ResolutionModel::changed, this, &ResolutionView::refresh);
    refresh();
}

QWidget* ResolutionView::statusHeader()
{
    QHBoxLayout* header = nullptr;
    auto* glass = card("display", Color::neonCyan(), "Current Display", "currentDisplayCard", this, &header);
    auto* reload = new SymbolButton("arrow.clockwise", 12, Color::white70(), glass);
    reload->setToolTip(QStringLiteral("Reload the display modes"));
    reload->setObjectName("refreshButton");
    reload->setCursor(Qt::PointingHandCursor);
    connect(reload, &SymbolButton::clicked, m_model, &ResolutionModel::loadModes);
    header->addWidget(reload, 0, Qt::AlignVCenter);

    m_currentValues = new QWidget(glass);
    auto* values = new QHBoxLayout(m_currentValues);
    values->setContentsMargins(0, 0, 0, 0);
    values->setSpacing(20);
    values->addWidget(captioned("Resolution", &m_resolution, "currentResolution", m_currentValues));
    values->addWidget(captioned("Refresh Rate", &m_refreshRate, "currentRefreshRate", m_currentValues));
    values->addStretch(1);
    glass->body()->addWidget(m_currentValues);

    m_noDisplay = new TextLabel("Unable to detect display", 12, QFont::Normal, Color::white50(), glass);
    m_noDisplay->setObjectName("noDisplay");
    glass->body()->addWidget(m_noDisplay);

    m_status = new TextLabel(QString(), 12, QFont::Normal, Color::neonGreen(), glass);
    m_status->setObjectName("statusMessage");
    m_status->setTextFormat(Qt::PlainText);
    m_status->setWordWrap(true);
    glass->body()->addWidget(m_status);

    m_spinner = new ActivityIndicator(16, Color::white70(), glass);
    m_spinner->setObjectName("applyingIndicator");
    glass->body()->addWidget(m_spinner, 0, Qt::AlignLeft);
    return glass;
}

QWidget* ResolutionView::modeList()
{
    QHBoxLayout* header = nullptr;
    auto* glass = card("list.bullet.rectangle", Color::neonPurple(), "Available Resolutions", "modesCard", this, &header);
    m_count = new TextLabel(QString(), 12, QFont::Normal, Color::white70(), glass);
    m_count->setObjectName("modeCount");
    header->addWidget(m_count, 0, Qt::AlignVCenter);

    m_noModes = new TextLabel("No display modes available", 12, QFont::Normal, Color::white50(), glass);
    m_noModes->setObjectName("noModes");
    glass->body()->addWidget(m_noModes);

    m_rows = new QWidget(glass);
    m_rowLayout = new QVBoxLayout(m_rows);
    m_rowLayout->setContentsMargins(0, 0, 0, 0);
    m_rowLayout->setSpacing(8);
    glass->body()->addWidget(m_rows);

    m_restore = new RestoreButton(glass);
    m_restore->setObjectName("restoreButton");
    connect(m_restore, &RestoreButton::clicked, this, &ResolutionView::askToRestore);
    glass->body()->addWidget(m_restore);
    return glass;
}

void ResolutionView::showEvent(QShowEvent* event)
{
    ScreenColumn::showEvent(event);
    if (!event->spontaneous())
        m_model->loadModes();
}

void ResolutionView::refresh()
{
    const FocusKeeper keep(this);
    const auto& current = m_model->currentMode();
    m_currentValues->setVisible(current.has_value());
    m_noDisplay->setVisible(!current);
    if (current) {
        m_resolution->setText(QStringLiteral("%1 x %2").arg(current->width).arg(current->height));
        m_refreshRate->setText(current->refreshRate > 0 ? QStringLiteral("%1 Hz").arg(qint64(current->refreshRate))
                                                        : QStringLiteral("-"));
    }

    const QString message = m_model->statusMessage();
    m_status->setVisible(!message.isEmpty());
    m_status->setText(message);
    m_status->setColor(ResolutionModel::isFailure(message) ? Color::onCard(Color::systemRed()) : Color::neonGreen());
    m_spinner->setVisible(m_model->isApplying());

    const QList<DisplayModeOption>& modes = m_model->allModes();
    m_count->setText(QStringLiteral("%1 modes").arg(modes.size()));
    m_noModes->setVisible(modes.isEmpty());
    m_rows->setVisible(!modes.isEmpty());
    // A row may be the sender of the click that brought us here, so old rows go later.
    while (QLayoutItem* item = m_rowLayout->takeAt(0)) {
        item->widget()->hide();
        item->widget()->setParent(nullptr);
        item->widget()->deleteLater();
        delete item;
    }
    for (const DisplayModeOption& option : modes) {
        const bool selected = m_model->selectedMode() && *m_model->selectedMode() == option;
        auto* row = new DisplayModeRow(option, selected, m_rows);
        row->setObjectName("modeRow");
        FocusKeeper::setKey(row, "mode:" + option.label());
        row->setEnabled(!m_model->isApplying());
        connect(row, &DisplayModeRow::clicked, this, [this, option] { m_model->selectMode(option); });
        m_rowLayout->addWidget(row);
    }

    m_restore->setVisible(current.has_value());
    m_restore->setEnabled(!m_model->isApplying());
    if (!current && m_confirm)
        m_confirm->close();
}

bool ResolutionView::isRestoreConfirmShown() const
{
    return m_confirm && m_confirm->isVisible();
}

void ResolutionView::askToRestore()
{
    if (isRestoreConfirmShown())
        return;
    m_confirm = new AppMessageBox(AppMessageBox::Kind::question, "Restore Default Resolution?", this);
    m_confirm->setObjectName("restoreConfirm");
    m_confirm->setInformativeText("Your display will revert to the highest available resolution.");
    QPushButton* cancel = m_confirm->addButton("Cancel", QMessageBox::RejectRole);
    QPushButton* restore = m_confirm->addButton("Restore", QMessageBox::AcceptRole);
    cancel->setObjectName("cancelRestore");
    restore->setObjectName("confirmRestore");
    m_confirm->setDefaultButton(cancel);
    m_confirm->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_confirm, &QMessageBox::buttonClicked, this, [this, restore](QAbstractButton* button) {
        if (button == restore)
            m_model->restoreDefaultResolution();
    });
    m_confirm->open();
}

#include "RecommendationsSection.h"

#include "CleanerButton.h"
#include "RecommendationRow.h"
#include "cleanup/DiskScanner.h"
#include "style/Color.h"
#include "style/FocusKeeper.h"
#include "style/SymbolView.h"
#include "style/TextLabel.h"

#include <QHBoxLayout>
#include <QPropertyAnimation>
#include <QPushButton>

RecommendationsSection::RecommendationsSection(DiskScanner& scanner, QWidget* parent)
    : GlassModifier(16, 16, parent), m_scanner(scanner)
{
    setObjectName("reviewSection");
    body()->setSpacing(12);

    auto* header = new QPushButton(this);
    header->setObjectName("reviewHeader");
    header->setFlat(true);
    header->setCursor(Qt::PointingHandCursor);
    header->setStyleSheet("QPushButton { border: none; background: transparent; }");
    auto* row = new QHBoxLayout(header);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(new SymbolView("list.bullet.rectangle", 18, Color::neonCyan(), header), 0, Qt::AlignVCenter);
    auto* titles = new QVBoxLayout;
    titles->setSpacing(3);
    titles->addWidget(new TextLabel("Item Review", 16, QFont::DemiBold, Color::white95(), header));
    titles->addWidget(new TextLabel("Open this only if you want to inspect individual files before cleaning.", 11,
                                    QFont::Normal, Color::white70(), header));
    row->addLayout(titles, 1);
    m_count = new TextLabel(QString(), 11, QFont::Medium, Color::white70(), header);
    m_count->setObjectName("reviewCount");
    row->addWidget(m_count, 0, Qt::AlignVCenter);
    m_chevron = new SymbolView("chevron.down", 11, Color::white50(), header);
    row->addWidget(m_chevron, 0, Qt::AlignVCenter);
    for (QWidget* child : header->findChildren<QWidget*>())
        child->setAttribute(Qt::WA_TransparentForMouseEvents);
    header->setMinimumHeight(row->sizeHint().height());
    connect(header, &QPushButton::clicked, this, [this] { setExpanded(!m_expanded, true); });
    body()->addWidget(header);

    m_drawer = new QWidget(this);
    auto* drawer = new QVBoxLayout(m_drawer);
    drawer->setContentsMargins(0, 0, 0, 0);
    drawer->setSpacing(body()->spacing());
    m_list = new QWidget(m_drawer);
    m_rows = new QVBoxLayout(m_list);
    m_rows->setContentsMargins(0, 0, 0, 0);
    m_rows->setSpacing(8);
    drawer->addWidget(m_list);

    m_clean = new CleanerButton("trash", QString(), 14, Color::white95(), QSize(0, 14), 12, m_drawer);
    m_clean->setObjectName("reviewCleanButton");
    m_clean->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(m_clean, &QAbstractButton::clicked, this, &RecommendationsSection::deleteRequested);
    drawer->addWidget(m_clean);
    m_drawer->hide();
    body()->addWidget(m_drawer);

    m_expansion = new QPropertyAnimation(m_drawer, "maximumHeight", this);
    m_expansion->setObjectName("reviewExpansion");
    m_expansion->setDuration(expansionMs);
    m_expansion->setEasingCurve(QEasingCurve::InOutQuad);
    connect(m_expansion, &QPropertyAnimation::finished, this, [this] {
        if (m_expanded)
            m_drawer->setMaximumHeight(QWIDGETSIZE_MAX);
        else
            m_drawer->hide();
    });
}

void RecommendationsSection::setExpanded(bool expanded, bool animated)
{
    m_expanded = expanded;
    m_chevron->setSymbol(expanded ? "chevron.up" : "chevron.down", Color::white50());
    refresh(m_selection);
    m_expansion->stop();
    if (!animated) {
        m_drawer->setMaximumHeight(QWIDGETSIZE_MAX);
        m_drawer->setVisible(expanded);
        return;
    }
    const int from = m_drawer->isHidden() ? 0 : m_drawer->height();
    m_drawer->setMaximumHeight(from);
    m_drawer->show();
    m_expansion->setStartValue(from);
    m_expansion->setEndValue(expanded ? m_drawer->sizeHint().height() : 0);
    m_expansion->start();
}

void RecommendationsSection::refresh(const CleanupCategories::Selection& selection)
{
    m_selection = selection;
    const QList<FileItem>& recommendations = m_scanner.recommendations();
    m_count->setText(QString("%1/%2 selected").arg(selection.size()).arg(recommendations.size()));
    if (!m_expanded)
        return;
    if (FileItem::ids(recommendations) != m_shown)
        rebuildRows();
    for (RecommendationRow* row : m_list->findChildren<RecommendationRow*>())
        row->setSelected(selection.contains(row->property("itemId").toUuid()));
    m_clean->setLabel(QString("Clean Selected Items (%1)").arg(selection.size()));
    QColor red = Color::systemRed();
    red.setAlphaF(0.85f);
    m_clean->setFill(selection.isEmpty() ? Color::white10b() : red);
    m_clean->setEnabled(!selection.isEmpty());
}

void RecommendationsSection::rebuildRows()
{
    // A row may be the one whose tap led here, so it goes once the tap is over.
    const FocusKeeper keep(this);
    while (QLayoutItem* item = m_rows->takeAt(0)) {
        item->widget()->hide();
        item->widget()->deleteLater();
        delete item;
    }
    const QList<FileItem>& recommendations = m_scanner.recommendations();
    m_shown = FileItem::ids(recommendations);
    for (const FileItem& item : recommendations) {
        auto* row = new RecommendationRow(item, m_scanner.home(), false, m_list);
        row->setProperty("itemId", item.id);
        FocusKeeper::setKey(row, "item:" + item.id.toString());
        connect(row, &RecommendationRow::toggled, this, [this, id = item.id] { emit toggleItem(id); });
        connect(row, &RecommendationRow::revealRequested, this,
                [this, path = item.path] { m_scanner.revealInFinder(path); });
        m_rows->addWidget(row);
    }
}

#include "AttachmentChip.h"

#include "style/Color.h"
#include "style/SymbolTileButton.h"
#include "style/SymbolView.h"
#include "style/TextLabel.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace {

TextLabel* oneLine(const QString& text, int size, QFont::Weight weight, const QColor& color, QWidget* parent)
{
    auto* label = new TextLabel(QString(), size, weight, color, parent);
    QString line = text;
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    label->setText(label->fontMetrics().elidedText(line, Qt::ElideRight, AttachmentChip::maxTextWidth));
    label->setToolTip(text);
    return label;
}

} // namespace

AttachmentChip::AttachmentChip(const AIContextAttachment& attachment, QWidget* parent)
    : RoundedPanel(10, Color::white10b(), parent), m_id(attachment.id),
      m_remove(new SymbolTileButton("xmark", 10, Color::white70(), 18, 5, this))
{
    setObjectName("attachmentChip");
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(10, 9, 10, 9);
    row->setSpacing(8);
    row->addWidget(new SymbolView(symbol(attachment.kind), 16, Color::neonCyan(), this), 0, Qt::AlignVCenter);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    auto* title = oneLine(attachment.title, 12, QFont::DemiBold, Color::white95(), this);
    title->setObjectName("chipTitle");
    auto* excerpt = oneLine(attachment.excerpt, 11, QFont::Normal, Color::white70(), this);
    excerpt->setObjectName("chipExcerpt");
    texts->addWidget(title);
    texts->addWidget(excerpt);
    row->addLayout(texts);
    m_remove->setObjectName("removeAttachmentButton");
    m_remove->setTile(Color::white10b());
    connect(m_remove, &SymbolTileButton::clicked, this, [this] { emit removeRequested(m_id); });
    row->addWidget(m_remove, 0, Qt::AlignVCenter);
}

QString AttachmentChip::symbol(AIContextKind kind)
{
    switch (kind) {
    case AIContextKind::file: return QStringLiteral("doc.text");
    case AIContextKind::web: return QStringLiteral("globe");
    case AIContextKind::github: return QStringLiteral("chevron.left.forwardslash.chevron.right");
    }
    return {};
}

#include "CategoryList.h"

#include "style/Color.h"
#include "style/TextLabel.h"

#include <QHBoxLayout>

CategoryList::CategoryList(const QString& title, const QList<FileItem>& items, QWidget* parent)
    : GlassModifier(12, 12, parent)
{
    setObjectName("categoryList:" + title);
    body()->setSpacing(8);
    body()->addWidget(new TextLabel(title, 14, QFont::DemiBold, Color::white95(), this));
    for (const FileItem& item : items.mid(0, shownItems)) {
        auto* row = new QHBoxLayout;
        auto* name = new TextLabel(item.name, 12, QFont::Normal, Color::white70(), this);
        name->setObjectName("itemName");
        name->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        row->addWidget(name, 1);
        row->addWidget(new TextLabel(item.sizeFormatted, 12, QFont::Normal, Color::white50(), this));
        body()->addLayout(row);
    }
}

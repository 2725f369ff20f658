#pragma once

#include "cleanup/FileItem.h"
#include "style/GlassModifier.h"

// A titled card with the first five items of a result list, name and size.
class CategoryList : public GlassModifier {
    Q_OBJECT
public:
    static constexpr int shownItems = 5;
    CategoryList(const QString& title, const QList<FileItem>& items, QWidget* parent = nullptr);
};

#include "ScreenColumn.h"

QVBoxLayout* ScreenColumn::install(QScrollArea& area, const QString& objectName)
{
    area.setFrameShape(QFrame::NoFrame);
    area.setWidgetResizable(true);
    area.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area.setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    area.viewport()->setAutoFillBackground(false);

    auto* content = new QWidget;
    content->setObjectName(objectName);
    content->setAutoFillBackground(false);
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(16, 16, 16, 16);
    column->setSpacing(16);
    area.setWidget(content);
    return column;
}

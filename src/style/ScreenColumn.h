#pragma once

#include <QScrollArea>
#include <QVBoxLayout>

// The frame of a scrolling screen: a transparent vertical scroll area holding one column with 16
// pixels of margin around it and 16 between its items.
namespace ScreenColumn {

// Makes `area` such a frame and returns the column to fill; its content widget takes `objectName`.
QVBoxLayout* install(QScrollArea& area, const QString& objectName);

} // namespace ScreenColumn

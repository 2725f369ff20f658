#pragma once

#include <QSizeF>

class QPainter;
class SessionReportView;

// Draws a session report page in points, from its top-left corner: a white US Letter page of one
// column with 40 points of margin, the footer at the bottom. Text stays text, so a PDF of it is
// searchable and sharp at any zoom.
class SessionReportPainter {
public:
    static constexpr QSizeF pageSize{612, 792};

    static void paint(QPainter& painter, const SessionReportView& page);
};

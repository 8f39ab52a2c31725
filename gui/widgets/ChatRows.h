#pragma once

#include "gui/widgets/ChatText.h"

#include <QFont>
#include <QHash>
#include <QTextLayout>

#include <functional>
#include <memory>

// How the chat text lies in rows: each piece laid out at the area's width and font, the rows it takes (with the
// rows its marks add), a row some rows away from another, and the first row shown when the last is at the bottom.
// The row counts of the pieces laid out recently are kept; forget() drops them when the width or font changed.
class ChatRows {
public:
    struct Geometry {
        QFont font;
        int width = 1;
        int rowHeight = 1;
    };

    // geometry is asked at every layout, so it is always the area's; extraRows gives the marks' rows of a piece.
    ChatRows(const ChatLog& log, const ChatText& text, std::function<Geometry()> geometry,
             std::function<int(qsizetype piece)> extraRows);

    std::unique_ptr<QTextLayout> layOut(qsizetype piece) const;
    int rowsOf(qsizetype piece) const;
    ChatPosition end(int visibleRows) const;
    ChatPosition advance(ChatPosition top, int rows) const;
    void forget() { m_rows.clear(); }

private:
    const ChatLog& m_log;
    const ChatText& m_text;
    std::function<Geometry()> m_geometry;
    std::function<int(qsizetype)> m_extraRows;
    mutable QHash<qsizetype, int> m_rows;
};

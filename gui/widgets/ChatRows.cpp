#include "gui/widgets/ChatRows.h"

#include "gui/widgets/WidgetHelpers.h"

#include <algorithm>

namespace {
// The row cache is dropped whole when it grows past this; it is rebuilt from what is shown.
constexpr int RowCacheLimit = 16384;
} // namespace

ChatRows::ChatRows(const ChatLog& log, const ChatText& text, std::function<Geometry()> geometry,
                   std::function<int(qsizetype piece)> extraRows)
    : m_log(log), m_text(text), m_geometry(std::move(geometry)), m_extraRows(std::move(extraRows))
{}

std::unique_ptr<QTextLayout> ChatRows::layOut(qsizetype piece) const
{
    const Geometry geometry = m_geometry();
    auto layout = std::make_unique<QTextLayout>(m_text.piece(piece), geometry.font);
    QTextOption option;
    option.setWrapMode(WrapModeFor(layout->text()));
    layout->setTextOption(option);
    int row = 0;
    layout->beginLayout();
    for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
        line.setLineWidth(geometry.width);
        line.setPosition(QPointF(0, row++ * geometry.rowHeight));
    }
    layout->endLayout();
    if (m_rows.size() > RowCacheLimit)
        m_rows.clear();
    m_rows.insert(piece, std::max(1, row));
    return layout;
}

int ChatRows::rowsOf(qsizetype piece) const
{
    const auto known = m_rows.constFind(piece);
    return m_extraRows(piece) + (known != m_rows.cend() ? *known : std::max(1, layOut(piece)->lineCount()));
}

ChatPosition ChatRows::end(int visibleRows) const
{
    int rows = 0;
    for (qsizetype piece = m_log.pieceCount() - 1; piece >= 0; --piece) {
        rows += rowsOf(piece);
        if (rows >= visibleRows)
            return ChatPosition{piece, rows - visibleRows};
    }
    return ChatPosition();
}

ChatPosition ChatRows::advance(ChatPosition top, int rows) const
{
    while (rows > 0 && top.piece < m_log.pieceCount()) {
        const int left = rowsOf(top.piece) - 1 - top.at;
        if (rows <= left)
            return ChatPosition{top.piece, top.at + rows};
        rows -= left + 1;
        top = ChatPosition{top.piece + 1, 0};
    }
    while (rows < 0) {
        if (-rows <= top.at)
            return ChatPosition{top.piece, top.at + rows};
        if (top.piece == 0)
            return ChatPosition();
        rows += top.at + 1;
        top = ChatPosition{top.piece - 1, rowsOf(top.piece - 1) - 1};
    }
    return top;
}

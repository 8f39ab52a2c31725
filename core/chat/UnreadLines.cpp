#include "core/chat/UnreadLines.h"

void UnreadLines::arrived(qsizetype piece)
{
    if (m_present)
        return;
    if (m_unread == 0)
        m_marker = piece;
    ++m_unread;
}

void UnreadLines::back()
{
    m_present = true;
    m_unread = 0;
}

void UnreadLines::away()
{
    if (m_present)
        m_marker = -1;
    m_present = false;
}

void UnreadLines::shift(qsizetype pieces)
{
    if (m_marker >= 0)
        m_marker += pieces;
}

void UnreadLines::clear()
{
    m_unread = 0;
    m_marker = -1;
}

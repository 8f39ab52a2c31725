#pragma once

#include <QByteArrayView>
#include <QString>

#include <vector>

// A typed text as the bytes it matches in the system's encoding (UTF-8), without regard to case: a small automaton
// over bytes, walked from a place to tell whether a match begins there and how long it is, and the bytes a match
// may have at each of its first offsets, from which a scan picks the rare ones to find the places worth a walk.
// A match is a run of whole characters whose case folding is the text's: "strasse" finds "Straße" and "STRASSE".
class FoldedPattern {
public:
    // The offsets a scan may test, at most.
    static constexpr int MaxOffsets = 16;

    explicit FoldedPattern(const QString& text = QString());
    // An empty text matches nothing.
    bool isEmpty() const { return m_shortest == 0; }
    // The length in bytes of the match that begins at `at`, or 0 where none does.
    qint64 matchAt(QByteArrayView bytes, qint64 at) const;
    // The fewest bytes a match takes.
    qint64 shortest() const { return m_shortest; }
    // For each offset below shortest() (and MaxOffsets), every byte a match may have there.
    const std::vector<std::vector<uchar>>& bytesAtOffsets() const { return m_bytesAtOffsets; }

private:
    struct Edge {
        uchar byte;
        bool stray; // a byte that did not decode in the text typed: it matches only such a byte
        qint32 next;
    };
    void AddCharacter(qint32 from, char32_t character, qint32 to);
    void Finish();

    // Node i < m_accept stands for "i code points of the folded text matched"; nodes after the accepting one are
    // within a character's bytes. Edges of node n are m_edges[m_firstEdge[n] .. m_firstEdge[n + 1]).
    std::vector<std::vector<Edge>> m_building;
    std::vector<qint32> m_firstEdge;
    std::vector<Edge> m_edges;
    qint32 m_accept = 0;
    qint64 m_shortest = 0;
    std::vector<std::vector<uchar>> m_bytesAtOffsets;
};

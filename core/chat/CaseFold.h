#pragma once

#include <QStringView>

#include <string>
#include <string_view>
#include <vector>

// Unicode's full case folding, the one form that every case form of a text shares: "Straße", "STRASSE" and
// "straẞe" all fold to "strasse", σ, ς and Σ to σ, µ and Μ to μ, ǅ and Ǆ to ǆ.
namespace casefold {

// The folding of a text, as code points. A lone surrogate (a byte of another encoding, as the program keeps it)
// stays as it is.
std::u32string Folded(QStringView text);

// A character and how many code points of a folded text it stands for.
struct Source {
    char32_t character;
    qsizetype length;
};
// Every character whose folding is a beginning of the folded text: its first code point itself, and each
// character that folds to it or to it and what follows ("ß" where the text begins "ss").
std::vector<Source> SourcesOf(std::u32string_view folded);

} // namespace casefold

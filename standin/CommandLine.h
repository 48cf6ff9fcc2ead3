// The words of one line of the stand-in client's command language: separated
// by spaces or tabs; a word in double quotes may hold spaces ("Deep AFK") and
// runs to the next double quote; a bare - and "" are the empty text (no name:
// the server, no flag letters).
#pragma once

#include <string>
#include <vector>

namespace standin {

// False, with `words` unchanged, when a quoted word has no closing quote.
bool SplitCommand(const std::string& line, std::vector<std::string>* words);

// The word at `index`; the empty text past the last one.
std::string CommandWord(const std::vector<std::string>& words, std::size_t index);

// A word that is a whole decimal number in [0, limit]; false, with `value`
// unchanged, otherwise.
bool CommandNumber(const std::string& word, long limit, long* value);

}  // namespace standin

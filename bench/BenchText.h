#pragma once
// What the annotation benchmarks share: a generated lesson text with its
// word list.

#include <random>
#include <string>

#include "dictionary/PhoneticDictionary.h"

namespace sonotag::bench {

// A text of `words` words from a small vocabulary, about four in five of
// them in the dictionary (which gets their lines), with commas and
// paragraph breaks. The same every time.
inline std::u16string MakeText(int words, dictionary::PhoneticDictionary& dictionary) {
    const char16_t* known[][2] = {{u"the", u"T["},         {u"apple", u"5Apl"},         {u"book", u"buk"},
                                  {u"water", u"5wR:t["},   {u"garden", u"5gB:dn"},      {u"river", u"5riv["},
                                  {u"happy", u"5hApi"},    {u"children", u"5tFildr[n"}, {u"sing", u"siN"},
                                  {u"morning", u"5mR:niN"}};
    for (const auto& entry : known) dictionary.addLine(std::u16string(entry[0]) + u"||" + entry[1]);
    const char16_t* unknown[] = {u"Xylo", u"qwerty", u"zzz"};
    std::mt19937 random(7);
    std::u16string text;
    for (int i = 0; i < words; ++i) {
        if (i > 0) text += (i % 12 == 0) ? u"\r" : u" ";
        text += random() % 5 == 0 ? unknown[random() % 3] : known[random() % 10][0];
        if (i % 9 == 8) text += u',';
    }
    return text;
}

}  // namespace sonotag::bench

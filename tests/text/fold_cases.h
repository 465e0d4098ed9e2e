// What a search must treat as the same word: texts and their folded forms,
// shared by the tests of the built-in folder and of the system's.
#pragma once

struct FoldCase {
  const char* what;
  const char* text;    // UTF-8
  const char* folded;  // UTF-8
};

inline constexpr FoldCase kFoldCases[] = {
    {"ASCII capitals", "Hello World 42", "hello world 42"},
    {"French accents", "Été À Noël", "ete a noel"},
    {"German sharp s", "Straße", "strasse"},
    {"capital sharp s", "GROẞE", "grosse"},
    {"a letter and a combining accent", "Cafe\xCC\x81", "cafe"},
    {"Greek with tonos", "ΩΜΈΓΑ Ωμέγα", "ωμεγα ωμεγα"},
    {"Cyrillic", "Ёлка", "елка"},
    {"Polish and Czech", "Łódź Čapek", "łodz capek"},
    {"Vietnamese, two marks", "Tiếng Việt", "tieng viet"},
    {"full-width Latin", "\xEF\xBC\xA1\xEF\xBC\xA2\xEF\xBC\xA3", "abc"},
    {"ligature", "\xEF\xAC\x81n", "fin"},
    {"Japanese kana with voicing marks", "がっこう", "かっこう"},
    {"ideographs stay", "日本語", "日本語"},
    {"Hangul stays", "한국어", "한국어"},
    {"emoji stay", "\xF0\x9F\x8E\xB5", "\xF0\x9F\x8E\xB5"},
    {"control characters become spaces", "a\tb\x01" "c", "a b c"},
};

#pragma once

// The engine's messages, shown to the user as they stand (UTF-8).
namespace tekstovar::messages {

inline constexpr const char* UnclosedBracket = "Отсутствует Закрывающая Пара Для \\(,\\[ Или \\{";
inline constexpr const char* NoOpeningContext = "Отсутствует Открывающая Пара Для \\) (Символ ";
inline constexpr const char* NoOpeningSet = "Отсутствует Открывающая Пара Для \\] (Символ ";
inline constexpr const char* NoOpeningBlock = "Отсутствует Открывающая Пара Для \\} (Символ ";
inline constexpr const char* BadReplaceMask = "Неверный Формат Строки Замены";
inline constexpr const char* NestingTooDeep = "Слишком Глубокая Вложенность Скобок В Маске Поиска (Больше 100)";
inline constexpr const char* MaskTooComplex = "Слишком Много Повторов И Скобок В Маске Поиска (Больше 1000)";
inline constexpr const char* NoSuchLexem = "Нет Лексемы С Таким Номером";

} // namespace tekstovar::messages

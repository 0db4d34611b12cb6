#pragma once
// Script variables: 1024 slots of upper-case names and &name substitution.

#include <QString>

// Slot of a variable in use (names compare upper-cased), 0 when there is none.
int var_find(const QString &name);
// Defines or redefines a variable; its value is trimmed and loses one pair of enclosing
// quotes. The slot used, 0 when all 1024 are taken.
int var_add(const QString &name, const QString &value);
// Replaces every &name by its value; &&name forgets the variable first. Unknown names are
// asked for when prompt is true, otherwise the reference stays and is remembered as it is.
QString var_sub(const QString &text, bool prompt);
// Why the last var_sub left its text as it was because the result would be longer than
// engine.maxStatementChars, forgotten once read; empty when it was not.
QString takeSubstitutionOverflow();
// The reason the window layer gave for not asking a variable's value during the last
// var_sub, forgotten once read; empty when every value was found or answered.
QString takeVariableRefusal();
// Empties a slot so that the next new variable can take it.
void var_free(int slot);
// Frees every slot (start-up).
void var_free_all();

#pragma once
// Numbers as the value boxes show them: the shortest decimal form with at most seven
// significant digits, no trailing zeros, in the user's locale.

#include <QLocale>
#include <QString>

QString generalNumber(double value, const QLocale& locale = QLocale());

#pragma once
// A data table's columns declared and fetched in one line each: spalten<int, QString>("n", "text") in the
// _data function, const auto [n, text] = werte<int, QString>("n", "text") in the test function.

#include <QTest>

#include <tuple>

template <class... T, class... N>
void spalten(N... namen)
{
    (QTest::addColumn<T>(namen), ...);
}

template <class... T, class... N>
std::tuple<T...> werte(N... namen)
{
    static_assert(sizeof...(T) == sizeof...(N), "one name per column");
    return {*static_cast<T *>(QTest::qData(namen, qMetaTypeId<T>()))...};
}

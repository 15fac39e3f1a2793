#include "retrieval/PageMarkers.h"

#include "retrieval/PageMarkersText.h"
#include "store/Cp932.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <cstdio>
#include <cstdlib>
#include <variant>

using namespace Qt::StringLiterals;

namespace retrieval {

namespace {

// One key of the file and the member it fills.
struct Key final {
    QLatin1StringView Name;
    std::variant<PageMarker PageMarkers::*, qsizetype PageMarkers::*> Member;
};

const Key Keys[] = {
    {"PriceHeading"_L1, &PageMarkers::PriceHeading},     {"PriceValue"_L1, &PageMarkers::PriceValue},
    {"SokketuHeading"_L1, &PageMarkers::SokketuHeading}, {"CountHeading"_L1, &PageMarkers::CountHeading},
    {"CountValue"_L1, &PageMarkers::CountValue},         {"CountEnd"_L1, &PageMarkers::CountEnd},
    {"EndHeading"_L1, &PageMarkers::EndHeading},         {"EndValue"_L1, &PageMarkers::EndValue},
    {"EndMonthOffset"_L1, &PageMarkers::EndMonthOffset}, {"EndDayOffset"_L1, &PageMarkers::EndDayOffset},
    {"TimeSeparator"_L1, &PageMarkers::TimeSeparator},   {"EndedNotice"_L1, &PageMarkers::EndedNotice},
    {"TitleStart"_L1, &PageMarkers::TitleStart},         {"TitleEnd"_L1, &PageMarkers::TitleEnd},
    {"TitlePrefix"_L1, &PageMarkers::TitlePrefix},       {"PictureBlock"_L1, &PageMarkers::PictureBlock},
    {"PictureStart"_L1, &PageMarkers::PictureStart},     {"PictureEnd"_L1, &PageMarkers::PictureEnd},
};
constexpr size_t KeyCount = std::size(Keys);

// An offset beyond any line the site writes is a typing error.
constexpr qsizetype MaxOffset = 1000;

QStringView TrimBlanks(QStringView text)
{
    while (!text.isEmpty() && (text.front() == u' ' || text.front() == u'\t'))
        text = text.sliced(1);
    while (!text.isEmpty() && (text.back() == u' ' || text.back() == u'\t'))
        text.chop(1);
    return text;
}

// Why a value cannot stand for its key; empty when it can.
QString ValueError(const Key& key, QStringView value)
{
    if (value.isEmpty())
        return u"「%1」の値が空です。"_s.arg(key.Name);
    if (std::holds_alternative<qsizetype PageMarkers::*>(key.Member)) {
        bool number = true;
        for (const QChar c : value)
            number = number && c >= u'0' && c <= u'9';
        if (!number || value.size() > 4 || value.toInt() > MaxOffset)
            return u"「%1」は 0 から %2 までの文字数で書いてください。"_s.arg(key.Name).arg(MaxOffset);
        return {};
    }
    // A carriage return ends a page's line: no line could hold the text.
    if (value.contains(u'\r'))
        return u"「%1」の値に行末の文字(CR)があります。"_s.arg(key.Name);
    // A page line's text holds only what the stored files can hold; any other character could
    // never match.
    const QString text = value.toString();
    if (store::FromCp932(store::ToCp932(text)) != text)
        return u"「%1」に保存ファイルの文字コード(Shift_JIS)で表せない文字があります。"_s.arg(key.Name);
    return {};
}

QString LineError(int line, const QString& what)
{
    return u"%1 行目: %2"_s.arg(line).arg(what);
}

} // namespace

ParsedPageMarkers ParsePageMarkers(QByteArrayView text)
{
    if (text.startsWith("\xef\xbb\xbf"))
        text = text.sliced(3);
    PageMarkers markers;
    std::array<bool, KeyCount> seen{};
    int number = 0;
    for (QByteArrayView rest = text; !rest.isEmpty();) {
        const qsizetype end = rest.indexOf('\n');
        QByteArrayView bytes = end < 0 ? rest : rest.first(end);
        rest = end < 0 ? QByteArrayView() : rest.sliced(end + 1);
        if (bytes.endsWith('\r'))
            bytes.chop(1);
        ++number;

        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString line = decoder.decode(bytes);
        if (decoder.hasError() || line.contains(QChar(0)))
            return {std::nullopt, LineError(number, u"UTF-8 の文字として読めません。"_s)};
        const QStringView trimmed = TrimBlanks(line);
        if (trimmed.isEmpty() || trimmed.startsWith(u'#'))
            continue;
        const qsizetype equals = trimmed.indexOf(u'=');
        if (equals < 0)
            return {std::nullopt, LineError(number, u"「キー = 値」の形ではありません。"_s)};
        const QStringView name = TrimBlanks(trimmed.first(equals));
        const QStringView value = TrimBlanks(trimmed.sliced(equals + 1));
        size_t index = 0;
        while (index < KeyCount && Keys[index].Name != name)
            ++index;
        if (index == KeyCount)
            return {std::nullopt, LineError(number, u"「%1」というキーはありません。"_s.arg(name))};
        if (seen[index])
            return {std::nullopt, LineError(number, u"「%1」が二度あります。"_s.arg(name))};
        const Key& key = Keys[index];
        if (const QString error = ValueError(key, value); !error.isEmpty())
            return {std::nullopt, LineError(number, error)};
        seen[index] = true;
        if (const auto* offset = std::get_if<qsizetype PageMarkers::*>(&key.Member))
            markers.** offset = value.toInt();
        else
            markers.*std::get<PageMarker PageMarkers::*>(key.Member) = PageMarker(value.toString());
    }
    for (size_t i = 0; i < KeyCount; ++i) {
        if (!seen[i])
            return {std::nullopt, u"「%1」がありません。"_s.arg(Keys[i].Name)};
    }
    return {std::move(markers), {}};
}

const PageMarkers& BuiltInPageMarkers()
{
    static const PageMarkers markers = [] {
        ParsedPageMarkers parsed = ParsePageMarkers(QByteArrayView(BuiltInPageMarkersText));
        if (!parsed.Markers) {
            // The file in the source tree is broken: no build made from it may run.
            std::fprintf(stderr, "built-in %s: %s\n", qPrintable(PageMarkersName()),
                         qPrintable(parsed.Error));
            std::abort();
        }
        return std::move(*parsed.Markers);
    }();
    return markers;
}

QString PageMarkersName()
{
    return u"PageMarkers.txt"_s;
}

QString RefusedPageMarkersMessage(const QString& path, const QString& reason)
{
    return u"ページの目印のファイル「"_s + path + u"」を使えません。\r"_s + reason +
           u"\r組み込みの目印で読み取ります。"_s;
}

PageMarkers LoadPageMarkers(const QString& path, platform::Dialogs& dialogs)
{
    if (!QFileInfo::exists(path))
        return BuiltInPageMarkers();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        dialogs.showMessage(RefusedPageMarkersMessage(path, file.errorString()));
        return BuiltInPageMarkers();
    }
    ParsedPageMarkers parsed = ParsePageMarkers(file.readAll());
    if (!parsed.Markers) {
        dialogs.showMessage(RefusedPageMarkersMessage(path, parsed.Error));
        return BuiltInPageMarkers();
    }
    return std::move(*parsed.Markers);
}

} // namespace retrieval

// SPDX-License-Identifier: GPL-3.0-or-later
#include "ArchiveNames.h"

#include "reset/ResetProtocol.h"
#include "reset/ResetRecord.h"

#include <QRandomGenerator>
#include <QRegularExpression>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace ArchiveNames {

namespace {

constexpr Ending Endings[] = {Ending::Complete, Ending::CutOff, Ending::Incomplete, Ending::Tail};
constexpr qsizetype TokenLength = 8;

bool Portable(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'-' || c == u'_'
           || c == u'.';
}

} // namespace

QByteArray Mark(Ending ending)
{
    switch (ending) {
    case Ending::Complete:
        break;
    case Ending::CutOff:
        return "_abgeschnitten";
    case Ending::Incomplete:
        return "_unvollstaendig";
    case Ending::Tail:
        return "_nachlauf";
    }
    return QByteArray();
}

Ending EndingOf(const ResetRecord &record)
{
    if (record.Complete())
        return Ending::Complete;
    return record.stop.cause == StopCause::Bound ? Ending::CutOff : Ending::Incomplete;
}

Ending EndingOfBytes(QByteArrayView received, qsizetype dataFrom)
{
    // The bound filled, SYN last, may have had more behind it, which a reset calls cut off.
    if (received.size() >= ResetProtocol::RxLimitBytes)
        return Ending::CutOff;
    return received.endsWith(ResetProtocol::Syn) && received.size() > dataFrom ? Ending::Complete : Ending::Incomplete;
}

QByteArray PortPart(const QString &port)
{
    // "/dev/pts/3" and "pts/3" (which is under /dev) as "pts_3", "/home/x/automat" as "automat".
    QString name = port.startsWith(QLatin1StringView("/dev/")) ? port.mid(5) : port;
    if (name.startsWith(u'/') || name.startsWith(u'.'))
        name = name.section(u'/', -1);
    QByteArray portable;
    for (const QChar c : std::as_const(name)) {
        if (!c.isLowSurrogate()) // one "_" for a character outside the basic plane, not two
            portable += Portable(c.unicode()) ? char(c.unicode()) : '_';
    }
    return portable;
}

QByteArray Stem(const QDateTime &began, const QString &port)
{
    return began.toString(QLatin1StringView(TimeFormat)).toLatin1() + '_' + PortPart(port);
}

QString BaseOf(const ResetRecord &record)
{
    const QString kept = record.archive.binPath;
    if (!kept.isEmpty())
        return kept.section(u'/', -1).chopped(qstrlen(BinSuffix));
    return QString::fromLatin1(Stem(record.began, record.port.name) + Mark(EndingOf(record)));
}

QByteArray Hidden(const QByteArray &stem, const char *mark, const QByteArray &token)
{
    return '.' + stem + mark + token;
}

QByteArray NewToken()
{
    static constexpr char Letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QByteArray token(TokenLength, Qt::Uninitialized);
    for (char &c : token)
        c = Letters[QRandomGenerator::global()->bounded(int(sizeof Letters - 1))];
    return token;
}

HiddenName ParseHidden(const QByteArray &name)
{
    for (const char *mark : {WorkingMark, TailMark, JournalMark, KeepingMark, TextMark}) {
        const qsizetype at = name.lastIndexOf(mark);
        if (name.startsWith('.') && at > 1 && name.size() - at - qstrlen(mark) == TokenLength)
            return {name.sliced(1, at - 1), mark, name.sliced(at + qstrlen(mark))};
    }
    return {};
}

int MoveWithoutReplacing(const QByteArray &from, const QByteArray &to)
{
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    if (::link(from.constData(), to.constData()) != 0)
        return errno;
    ::unlink(from.constData());
    return 0;
}

Claimed MoveToFreeName(const QByteArray &folder, const QByteArray &from, const QByteArray &stem, Ending ending,
                       const char *suffix)
{
    for (int number = 1; number <= MaxNumber; ++number) {
        const QByteArray base = (number == 1 ? stem : stem + '_' + QByteArray::number(number)) + Mark(ending);
        const int error = MoveWithoutReplacing(from, folder + '/' + base + suffix);
        if (error != EEXIST)
            return {error == 0 ? base : QByteArray(), error};
    }
    return {QByteArray(), EEXIST};
}

Parsed Parse(const QString &fileName)
{
    // By hand rather than by a pattern: an archive of tens of thousands of files is read name by name.
    Parsed parsed;
    constexpr qsizetype TimeLength = 19; // "2026-12-06_14-32-05"
    QStringView name(fileName);
    parsed.text = name.endsWith(QLatin1StringView(TextSuffix));
    if ((!parsed.text && !name.endsWith(QLatin1StringView(BinSuffix))) || name.size() < TimeLength + 6
        || name[TimeLength] != u'_')
        return parsed;
    // -1 for anything but a number that fits: a name may hold any run of digits.
    const auto number = [&name](qsizetype at, qsizetype length) {
        constexpr qsizetype MaxDigits = 9;
        if (length > MaxDigits)
            return -1;
        int value = 0;
        for (const QChar c : name.sliced(at, length)) {
            if (!c.isDigit())
                return -1;
            value = value * 10 + c.digitValue();
        }
        return value;
    };
    parsed.began = QDateTime(QDate(number(0, 4), number(5, 2), number(8, 2)),
                             QTime(number(11, 2), number(14, 2), number(17, 2)));
    parsed.valid = parsed.began.isValid()
                   && name.first(TimeLength).toString() == parsed.began.toString(QLatin1StringView(TimeFormat));
    QStringView rest = name.sliced(TimeLength + 1).chopped(qstrlen(BinSuffix));
    for (const Ending ending : Endings) {
        const QString mark = QString::fromLatin1(Mark(ending));
        if (!mark.isEmpty() && rest.endsWith(mark)) {
            parsed.ending = ending;
            rest.chop(mark.size());
        }
    }
    parsed.valid = parsed.valid && !rest.isEmpty();
    // The port of a COM name is known, and so is the number after it; any
    // other is read as the name holds it, also from the names of older
    // releases, which held any character.
    static const QRegularExpression numberedCom(QStringLiteral("^(COM[1-9])_([2-9]|[1-9][0-9]{1,8})$"));
    const QRegularExpressionMatch com = numberedCom.match(rest.toString());
    parsed.port = com.hasMatch() ? com.captured(1) : rest.toString();
    parsed.number = com.hasMatch() ? com.captured(2).toInt() : 1;
    return parsed;
}

} // namespace ArchiveNames

#include "data/fieldtypes.h"
#include "data/dataset.h"
#include "core/numformat.h"

#include <QIODevice>
#include <cmath>
#include <limits>

namespace {
const QString kInvalidInteger = QStringLiteral("'%1' is not a valid integer value for field '%2'");
const QString kInvalidFloat = QStringLiteral("'%1' is not a valid floating point value for field '%2'");
} // namespace

// ---- string -------------------------------------------------------------

TStringField::TStringField(QObject *owner) : TField(owner)
{
    setDataType(ftString);
    Size = 20;
}

QVariant TStringField::toNative(const QVariant &value) const
{
    if (!value.isValid() || value.isNull()) return {};
    QString s = value.toString();
    if (Size > 0 && s.size() > Size) s.truncate(Size);
    return s;
}

QString TStringField::AsString() const
{
    return GetData().toString();
}

void TStringField::SetAsString(const QString &text)
{
    SetData(text.isEmpty() ? QVariant() : QVariant(text));
}

int TStringField::AsInteger() const
{
    const QString s = AsString();
    if (s.isEmpty()) return 0;
    int v = 0;
    if (!tryStrToInt(s, v)) raiseConvertError(kInvalidInteger, s);
    return v;
}

double TStringField::AsFloat() const
{
    const QString s = AsString();
    if (s.isEmpty()) return 0;
    double v = 0;
    if (!tryStrToFloat(s, v)) raiseConvertError(kInvalidFloat, s);
    return v;
}

void TStringField::SetAsFloat(double value)
{
    SetAsString(floatToStr(value));
}

// ---- numbers --------------------------------------------------------------

TNumericField::TNumericField(QObject *owner) : TField(owner)
{
    Alignment = Qt::AlignRight;
}

TIntegerField::TIntegerField(QObject *owner) : TNumericField(owner)
{
    setDataType(ftInteger);
}

QVariant TIntegerField::toNative(const QVariant &value) const
{
    if (!value.isValid() || value.isNull()) return {};
    return value.toInt();
}

QString TIntegerField::AsString() const
{
    const QVariant v = GetData();
    return v.isValid() ? QString::number(v.toInt()) : QString();
}

void TIntegerField::SetAsString(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty()) {
        Clear();
        return;
    }
    int v = 0;
    if (!tryStrToInt(t, v)) raiseConvertError(kInvalidInteger, text);
    SetAsInteger(v);
}

int TIntegerField::AsInteger() const
{
    return GetData().toInt();
}

void TIntegerField::SetAsInteger(int value)
{
    SetData(value);
}

void TIntegerField::SetAsFloat(double value)
{
    if (!std::isfinite(value) || value > std::numeric_limits<int>::max() || value < std::numeric_limits<int>::min())
        raiseConvertError(kInvalidInteger, floatToStr(value));
    SetAsInteger(int(std::llround(value)));
}

QString TIntegerField::getText(bool displayText) const
{
    const QVariant v = GetData();
    if (!v.isValid()) return {};
    // Editing uses the display picture too unless an edit picture is set.
    const QString &fmt = displayText || EditFormat().isEmpty() ? DisplayFormat() : EditFormat();
    return fmt.isEmpty() ? QString::number(v.toInt()) : formatFloat(fmt, v.toInt());
}

TSmallintField::TSmallintField(QObject *owner) : TIntegerField(owner)
{
    setDataType(ftSmallint);
}

TWordField::TWordField(QObject *owner) : TIntegerField(owner)
{
    setDataType(ftWord);
}

TAutoIncField::TAutoIncField(QObject *owner) : TIntegerField(owner)
{
    setDataType(ftAutoInc);
    ReadOnly = true;
}

TFloatField::TFloatField(QObject *owner) : TNumericField(owner)
{
    setDataType(ftFloat);
}

QVariant TFloatField::toNative(const QVariant &value) const
{
    if (!value.isValid() || value.isNull()) return {};
    return value.toDouble();
}

QString TFloatField::AsString() const
{
    const QVariant v = GetData();
    return v.isValid() ? floatToStr(v.toDouble()) : QString();
}

void TFloatField::SetAsString(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty()) {
        Clear();
        return;
    }
    double v = 0;
    const bool ok = currency ? tryStrToCurr(t, v) : tryStrToFloat(t, v);
    if (!ok || !std::isfinite(v)) raiseConvertError(kInvalidFloat, text);
    SetAsFloat(v);
}

int TFloatField::AsInteger() const
{
    const double v = AsFloat();
    if (!std::isfinite(v) || v > std::numeric_limits<int>::max() || v < std::numeric_limits<int>::min()) return 0;
    return int(std::llround(v));
}

double TFloatField::AsFloat() const
{
    return GetData().toDouble();
}

void TFloatField::SetAsFloat(double value)
{
    if (!std::isfinite(value)) raiseConvertError(kInvalidFloat, QString::number(value));
    SetData(value);
}

QString TFloatField::getText(bool displayText) const
{
    const QVariant v = GetData();
    if (!v.isValid()) return {};
    const double d = v.toDouble();
    const QString &fmt = displayText || EditFormat().isEmpty() ? DisplayFormat() : EditFormat();
    if (!fmt.isEmpty()) return formatFloat(fmt, d);
    if (currency)
        return floatToStrF(d, displayText ? TFloatFormat::Currency : TFloatFormat::Fixed, Precision,
                           TFormatSettings::current().currencyDecimals);
    return floatToStrF(d, TFloatFormat::General, Precision, 0);
}

TCurrencyField::TCurrencyField(QObject *owner) : TFloatField(owner)
{
    setDataType(ftCurrency);
    currency = true;
}

// ---- boolean --------------------------------------------------------------

TBooleanField::TBooleanField(QObject *owner) : TField(owner)
{
    setDataType(ftBoolean);
}

QVariant TBooleanField::toNative(const QVariant &value) const
{
    if (!value.isValid() || value.isNull()) return {};
    return value.toBool();
}

bool TBooleanField::AsBoolean() const
{
    return GetData().toBool();
}

QString TBooleanField::AsString() const
{
    const QVariant v = GetData();
    if (!v.isValid()) return {};
    const QStringList parts = DisplayValues.split(';');
    const QString t = parts.value(0), f = parts.value(1);
    return v.toBool() ? t : f;
}

void TBooleanField::SetAsString(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty()) {
        Clear();
        return;
    }
    const QStringList parts = DisplayValues.split(';');
    if (t.compare(parts.value(0), Qt::CaseInsensitive) == 0) SetAsBoolean(true);
    else if (t.compare(parts.value(1), Qt::CaseInsensitive) == 0) SetAsBoolean(false);
    else DatabaseError(QStringLiteral("'%1' is not a valid boolean value for field '%2'").arg(text, DisplayName()));
}

// ---- date and time --------------------------------------------------------

TDateTimeField::TDateTimeField(QObject *owner, TFieldType type) : TField(owner)
{
    setDataType(type);
}

QVariant TDateTimeField::toNative(const QVariant &value) const
{
    if (!value.isValid() || value.isNull()) return {};
    if (value.typeId() == QMetaType::QDateTime) return fromQDateTime(value.toDateTime());
    if (value.typeId() == QMetaType::QDate) return fromQDate(value.toDate());
    return value.toDouble();
}

TDateTime TDateTimeField::AsDateTime() const
{
    return GetData().toDouble();
}

void TDateTimeField::SetAsDateTime(TDateTime value)
{
    SetData(value);
}

QString TDateTimeField::AsString() const
{
    return getText(false);
}

QString TDateTimeField::getText(bool displayText) const
{
    const QVariant v = GetData();
    if (!v.isValid()) return {};
    const TDateTime d = v.toDouble();
    if (displayText && !DisplayFormat().isEmpty()) return formatDateTime(DisplayFormat(), d);
    switch (DataType()) {
    case ftDate: return dateToStr(d);
    case ftTime: return timeToStr(d);
    default: return dateTimeToStr(d);
    }
}

void TDateTimeField::SetAsString(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty()) {
        Clear();
        return;
    }
    switch (DataType()) {
    case ftDate: SetAsDateTime(strToDate(t)); break;
    case ftTime: SetAsDateTime(strToTime(t)); break;
    default: SetAsDateTime(strToDateTime(t)); break;
    }
}

// ---- blobs ----------------------------------------------------------------

TBlobField::TBlobField(QObject *owner, TFieldType type) : TField(owner)
{
    setDataType(type);
}

QByteArray TBlobField::AsBytes() const
{
    if (!DataSet() || !DataSet()->Active()) return {};
    std::unique_ptr<QIODevice> s = DataSet()->CreateBlobStream(const_cast<TBlobField *>(this), QIODevice::ReadOnly);
    return s ? s->readAll() : QByteArray();
}

void TBlobField::SetAsBytes(const QByteArray &bytes)
{
    if (!DataSet()) return;
    std::unique_ptr<QIODevice> s = DataSet()->CreateBlobStream(this, QIODevice::WriteOnly | QIODevice::Truncate);
    if (s && !bytes.isEmpty()) s->write(bytes);
    if (bytes.isEmpty()) Clear();
}

QString TBlobField::AsString() const
{
    return QString::fromUtf8(AsBytes());
}

void TBlobField::SetAsString(const QString &text)
{
    SetAsBytes(text.toUtf8());
}

QString TBlobField::getText(bool displayText) const
{
    if (displayText) return IsNull() ? QStringLiteral("(blob)") : QStringLiteral("(BLOB)");
    return AsString();
}

QString TMemoField::getText(bool displayText) const
{
    if (!displayText) return AsString();
    if (FirstLineOnly) {
        const QString s = AsString();
        const int cr = int(s.indexOf(QChar('\r')));
        const int lf = int(s.indexOf(QChar('\n')));
        int cut = cr;
        if (cut < 0 || (lf >= 0 && lf < cut)) cut = lf;
        return cut >= 0 ? s.left(cut) : s;
    }
    return IsNull() ? QStringLiteral("(memo)") : QStringLiteral("(MEMO)");
}

TField *createFieldForType(TFieldType type, QObject *owner)
{
    switch (type) {
    case ftString:
    case ftFixedChar:
    case ftWideString: return new TStringField(owner);
    case ftSmallint: return new TSmallintField(owner);
    case ftInteger: return new TIntegerField(owner);
    case ftWord: return new TWordField(owner);
    case ftAutoInc: return new TAutoIncField(owner);
    case ftBoolean: return new TBooleanField(owner);
    case ftFloat: return new TFloatField(owner);
    case ftCurrency:
    case ftBCD: return new TCurrencyField(owner);
    case ftDate: return new TDateField(owner);
    case ftTime: return new TTimeField(owner);
    case ftDateTime: return new TDateTimeField(owner);
    case ftMemo:
    case ftFmtMemo: return new TMemoField(owner);
    case ftBlob:
    case ftGraphic:
    case ftTypedBinary: return new TBlobField(owner, type);
    default: return nullptr;
    }
}

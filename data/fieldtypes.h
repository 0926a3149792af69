#pragma once
// The field classes in use: text, integers, floats, booleans, date-times, memos.

#include "data/field.h"

class TStringField : public TField
{
    Q_OBJECT
public:
    explicit TStringField(QObject *owner = nullptr);
    QString AsString() const override;
    void SetAsString(const QString &text) override;   // cut to Size
    int AsInteger() const override;
    double AsFloat() const override;
    void SetAsInteger(int value) override { SetAsString(QString::number(value)); }
    void SetAsFloat(double value) override;

protected:
    int defaultDisplayWidth() const override { return Size > 0 ? Size : 20; }
    QVariant toNative(const QVariant &value) const override;
};

// Integers and floats: DisplayFormat is a numeric picture.
class TNumericField : public TField
{
    Q_OBJECT
public:
    explicit TNumericField(QObject *owner = nullptr);
};

class TIntegerField : public TNumericField
{
    Q_OBJECT
public:
    explicit TIntegerField(QObject *owner = nullptr);
    QString AsString() const override;
    void SetAsString(const QString &text) override;
    int AsInteger() const override;
    void SetAsInteger(int value) override;
    double AsFloat() const override { return AsInteger(); }
    void SetAsFloat(double value) override;

protected:
    QString getText(bool displayText) const override;
    int defaultDisplayWidth() const override { return 11; }
    QVariant toNative(const QVariant &value) const override;
};

class TSmallintField : public TIntegerField
{
    Q_OBJECT
public:
    explicit TSmallintField(QObject *owner = nullptr);

protected:
    int defaultDisplayWidth() const override { return 6; }
};

class TWordField : public TIntegerField
{
    Q_OBJECT
public:
    explicit TWordField(QObject *owner = nullptr);

protected:
    int defaultDisplayWidth() const override { return 6; }
};

// Assigned by the storage when a new record is posted; read-only.
class TAutoIncField : public TIntegerField
{
    Q_OBJECT
public:
    explicit TAutoIncField(QObject *owner = nullptr);
};

class TFloatField : public TNumericField
{
    Q_OBJECT
public:
    explicit TFloatField(QObject *owner = nullptr);
    int Precision = 15;
    bool currency = false;

    QString AsString() const override;
    void SetAsString(const QString &text) override;
    int AsInteger() const override;
    void SetAsInteger(int value) override { SetAsFloat(value); }
    double AsFloat() const override;
    void SetAsFloat(double value) override;

protected:
    QString getText(bool displayText) const override;
    QVariant toNative(const QVariant &value) const override;
};

class TCurrencyField : public TFloatField
{
    Q_OBJECT
public:
    explicit TCurrencyField(QObject *owner = nullptr);
};

class TBooleanField : public TField
{
    Q_OBJECT
public:
    explicit TBooleanField(QObject *owner = nullptr);
    QString DisplayValues = QStringLiteral("True;False");
    QString AsString() const override;
    void SetAsString(const QString &text) override;
    bool AsBoolean() const override;
    void SetAsBoolean(bool value) override { SetData(value); }
    int AsInteger() const override { return AsBoolean() ? 1 : 0; }

protected:
    int defaultDisplayWidth() const override { return 5; }
    QVariant toNative(const QVariant &value) const override;
};

// ftDateTime, ftDate or ftTime by the constructor's type.
class TDateTimeField : public TField
{
    Q_OBJECT
public:
    explicit TDateTimeField(QObject *owner = nullptr, TFieldType type = ftDateTime);
    QString AsString() const override;
    void SetAsString(const QString &text) override;
    TDateTime AsDateTime() const override;
    void SetAsDateTime(TDateTime value) override;
    double AsFloat() const override { return AsDateTime(); }
    void SetAsFloat(double value) override { SetAsDateTime(value); }

protected:
    QString getText(bool displayText) const override;
    int defaultDisplayWidth() const override { return DataType() == ftDateTime ? 18 : 10; }
    QVariant toNative(const QVariant &value) const override;
};

class TDateField : public TDateTimeField
{
    Q_OBJECT
public:
    explicit TDateField(QObject *owner = nullptr) : TDateTimeField(owner, ftDate) {}
};

class TTimeField : public TDateTimeField
{
    Q_OBJECT
public:
    explicit TTimeField(QObject *owner = nullptr) : TDateTimeField(owner, ftTime) {}
};

// Large values read and written through the dataset's blob stream.
class TBlobField : public TField
{
    Q_OBJECT
public:
    explicit TBlobField(QObject *owner = nullptr, TFieldType type = ftBlob);
    QString AsString() const override;
    void SetAsString(const QString &text) override;
    QByteArray AsBytes() const;
    void SetAsBytes(const QByteArray &bytes);

protected:
    QString getText(bool displayText) const override;
};

class TMemoField : public TBlobField
{
    Q_OBJECT
public:
    explicit TMemoField(QObject *owner = nullptr) : TBlobField(owner, ftMemo) {}
    // Show only the first line of the text (the table's CacheMemos display).
    bool FirstLineOnly = false;

protected:
    QString getText(bool displayText) const override;
};

// A field object for a storage type; nullptr for types without a field class.
TField *createFieldForType(TFieldType type, QObject *owner);

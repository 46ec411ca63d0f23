// The Vietnamese accent keyboard component: while enabled, a vowel (or d) followed by one of
// nine accent keys becomes the marked letter in whatever edit widget of the program has the
// keyboard.
#pragma once

#include "codes/keyboardfilter.h"
#include "codes/vnkey.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <array>

namespace tavi {

// The nine accent keys, in the order of the marks they type.
class TAccentKeys : public QObject {
    Q_OBJECT
    Q_PROPERTY(char Acute READ Acute WRITE SetAcute)
    Q_PROPERTY(char Grave READ Grave WRITE SetGrave)
    Q_PROPERTY(char Hook READ Hook WRITE SetHook)
    Q_PROPERTY(char Tilde READ Tilde WRITE SetTilde)
    Q_PROPERTY(char Dot READ Dot WRITE SetDot)
    Q_PROPERTY(char Circumflex READ Circumflex WRITE SetCircumflex)
    Q_PROPERTY(char Horn READ Horn WRITE SetHorn)
    Q_PROPERTY(char Breve READ Breve WRITE SetBreve)
    Q_PROPERTY(char Bar READ Bar WRITE SetBar)
public:
    // Hands the default keys, the digits 1 to 9, to the engine.
    explicit TAccentKeys(TVnKey& engine, QObject* parent = nullptr);

    char Acute() const { return Keys[0]; }
    char Grave() const { return Keys[1]; }
    char Hook() const { return Keys[2]; }
    char Tilde() const { return Keys[3]; }
    char Dot() const { return Keys[4]; }
    char Circumflex() const { return Keys[5]; }
    char Horn() const { return Keys[6]; }
    char Breve() const { return Keys[7]; }
    char Bar() const { return Keys[8]; }
    void SetAcute(char key) { SetKey(0, key); }
    void SetGrave(char key) { SetKey(1, key); }
    void SetHook(char key) { SetKey(2, key); }
    void SetTilde(char key) { SetKey(3, key); }
    void SetDot(char key) { SetKey(4, key); }
    void SetCircumflex(char key) { SetKey(5, key); }
    void SetHorn(char key) { SetKey(6, key); }
    void SetBreve(char key) { SetKey(7, key); }
    void SetBar(char key) { SetKey(8, key); }

private:
    void SetKey(std::size_t mark, char key);
    std::array<char, TVnKey::AccentKeyCount> Keys{'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    TVnKey& Engine;
};

class TKeyboard : public TKeyComponent {
    Q_OBJECT
    Q_PROPERTY(QStringList Characters READ Characters WRITE SetCharacters)
    Q_PROPERTY(TCodeTable CodeTable READ CodeTable WRITE SetCodeTable)
    Q_PROPERTY(QString CodeTableName READ CodeTableName WRITE SetCodeTableName)
    Q_PROPERTY(tavi::TAccentKeys* AccentKeys READ AccentKeys CONSTANT)
public:
    enum TCodeTable { VniAnsi, VniAscii, Other };
    Q_ENUM(TCodeTable)

    // Starts with the VNI-ASCII table and the digit keys. Every keyboard drives the program's
    // one engine unless it is given another (tests do).
    explicit TKeyboard(QObject* owner = nullptr, TVnKey& engine = VnKeyEngine());

    // A letter table of the user's, one character per byte: used when CodeTable is Other.
    const QStringList& Characters() const { return FCharacters; }
    void SetCharacters(const QStringList& list);

    TCodeTable CodeTable() const { return FCodeTable; }
    void SetCodeTable(TCodeTable value);
    QString CodeTableName() const { return FCodeTableName; }
    void SetCodeTableName(const QString& name) { FCodeTableName = name; }

    TAccentKeys* AccentKeys() const { return FAccentKeys; }

private:
    void CharactersChanged();

    QStringList FCharacters;
    TCodeTable FCodeTable = VniAnsi;
    QString FCodeTableName;
    TAccentKeys* FAccentKeys;
    TVnKey& Engine;
};

} // namespace tavi

#pragma once
// TIniLink: how a component keeps its own layout in a window's settings file.
//
// The component owns the link and attaches it to a storage. While the storage
// restores or saves, the link offers the open INI object and the root section
// (the storage's IniSection followed by "\", or nothing when that is empty),
// and the storage calls OnRestore or OnSave, links in the order they were
// attached. Outside those operations IniObject() is null. Destroying either
// side detaches the link.

#include <QString>

#include <functional>

class TFormPlacement;
class TIniFile;

class TIniLink
{
public:
    TIniLink() = default;
    ~TIniLink();
    TIniLink(const TIniLink &) = delete;
    TIniLink &operator=(const TIniLink &) = delete;

    TFormPlacement *Storage() const { return m_storage; }
    // Attaches to `storage`, or detaches with nullptr.
    void SetStorage(TFormPlacement *storage);

    TIniFile *IniObject() const;
    QString RootSection() const;

    std::function<void()> OnSave;
    std::function<void()> OnRestore;

private:
    friend class TFormPlacement;
    TFormPlacement *m_storage = nullptr;
};

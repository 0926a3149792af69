#include "settings/inilink.h"

#include "settings/formplacement.h"

TIniLink::~TIniLink()
{
    SetStorage(nullptr);
}

void TIniLink::SetStorage(TFormPlacement *storage)
{
    if (storage == m_storage)
        return;
    if (m_storage)
        m_storage->removeLink(this);
    m_storage = storage;
    if (m_storage)
        m_storage->addLink(this);
}

TIniFile *TIniLink::IniObject() const
{
    return m_storage ? m_storage->IniFile() : nullptr;
}

QString TIniLink::RootSection() const
{
    return m_storage ? m_storage->RootSection() : QString();
}

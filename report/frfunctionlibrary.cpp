#include "report/frfunctionlibrary.h"

#include <algorithm>

bool TfrFunctionLibrary::OnFunction(const QString &name, const TfrVariant &p1, const TfrVariant &p2,
                                    const TfrVariant &p3, TfrVariant &val)
{
    const auto it = std::lower_bound(List.cbegin(), List.cend(), name);
    if (it == List.cend() || *it != name) return false;
    DoFunction(int(it - List.cbegin()), p1, p2, p3, val);
    return true;
}

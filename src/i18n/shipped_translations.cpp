// Lookup in the shipped translations.
#include "i18n/shipped_translations.h"

#include <algorithm>

namespace horavant {

const ShippedTranslation* ShippedTranslations::find(std::u16string_view german) const
{
    const auto it = std::lower_bound(
        m_rows.begin(), m_rows.end(), german,
        [](const ShippedTranslation& row, std::u16string_view key) { return row.german < key; });
    return it != m_rows.end() && it->german == german ? &*it : nullptr;
}

std::u16string_view ShippedTranslations::text(std::u16string_view german, int column) const
{
    const ShippedTranslation* row = column == 1 || column == 2 ? find(german) : nullptr;
    if (!row)
        return {};
    return column == 1 ? row->english : row->spanish;
}

}  // namespace horavant

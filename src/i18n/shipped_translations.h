// The English and Spanish translations the program ships for its German texts, built from
// shipped_translations.tsv in this folder.
#pragma once

#include <span>
#include <string_view>

namespace horavant {

struct ShippedTranslation {
    std::u16string_view german;
    std::u16string_view english;
    std::u16string_view spanish;
};

// Rows sorted by their German texts in UTF-16 unit order, each German text once.
constexpr bool sortedByGerman(std::span<const ShippedTranslation> rows)
{
    for (std::size_t i = 1; i < rows.size(); ++i) {
        if (!(rows[i - 1].german < rows[i].german))
            return false;
    }
    return true;
}

class ShippedTranslations {
public:
    constexpr ShippedTranslations() = default;
    // rows must be sortedByGerman.
    constexpr explicit ShippedTranslations(std::span<const ShippedTranslation> rows) : m_rows(rows) {}

    // The row of exactly this German text, or nullptr.
    const ShippedTranslation* find(std::u16string_view german) const;
    // The shipped text of store column 1 (English) or 2 (Spanish); empty for any other column
    // and for a text that is not shipped.
    std::u16string_view text(std::u16string_view german, int column) const;
    std::span<const ShippedTranslation> rows() const { return m_rows; }

private:
    std::span<const ShippedTranslation> m_rows;
};

// The program's own table.
ShippedTranslations shippedTranslations();

}  // namespace horavant

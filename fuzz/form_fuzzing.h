// The body of the form readers' fuzz targets: any bytes either give a form or a FaultError with
// a message, and every text and name of a form that was read is valid UTF-8, whatever the file
// held, as is every message.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "forms/form_codec.h"
#include "forms/form_reader.h"
#include "forms/translatable.h"

namespace parlix::fuzzing {

inline void CheckComponent(const forms::FormComponent& component) {
    if (!forms::detail::IsUtf8(component.name) || !forms::detail::IsUtf8(component.className)) {
        std::abort();
    }
    for (const forms::FormString& string : component.strings) {
        if (!forms::detail::IsUtf8(string.text) || !forms::detail::IsUtf8(string.property) ||
            string.property.empty()) {
            std::abort();
        }
        forms::TranslatableProperty(string.property, string.text, component.name);
    }
    for (const forms::FormComponent& child : component.children) {
        CheckComponent(child);
    }
}

template <typename Reader>
void FuzzFormReader(const std::uint8_t* data, std::size_t size, Reader read) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    try {
        const forms::Form form = read(bytes, std::string("fuzz"));
        CheckComponent(form.root);
    } catch (const FaultError& error) {
        if (error.GetFault().message.empty() || !forms::detail::IsUtf8(error.GetFault().message)) {
            std::abort();
        }
    }
}

}  // namespace parlix::fuzzing

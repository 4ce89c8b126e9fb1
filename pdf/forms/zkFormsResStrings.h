#pragma once
// Message texts of the forms layer, in one table so that they can be
// translated. "%s" and "%d" are filled with Format().
#include <string_view>

namespace sarvane::pdf::forms::res {

constexpr std::string_view kFieldValueError = "Unexpected error while setting form field value";
constexpr std::string_view kFieldDoesNotExist = "Field (%s) does not exist";
constexpr std::string_view kNoFormFields = "Document does not contain any form fields";
constexpr std::string_view kFieldIndexDoesNotExist = "Field corresponding to index (%d) does not exist.";

// Warnings.
constexpr std::string_view kFieldTreeTooDeep = "Form field %d nested deeper than %d levels; its kids are not listed";

}  // namespace sarvane::pdf::forms::res

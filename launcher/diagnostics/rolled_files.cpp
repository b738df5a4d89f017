#include "diagnostics/rolled_files.h"

#include <algorithm>
#include <cctype>

namespace {

// "vorna-output.log" splits into "vorna-output" and ".log"; a name without a dot has no extension.
void splitName(const std::string& name, std::string& stem, std::string& extension) {
    std::size_t dot = name.find_last_of('.');
    stem = dot == std::string::npos ? name : name.substr(0, dot);
    extension = dot == std::string::npos ? std::string() : name.substr(dot);
}

bool equalIgnoringCase(const std::string& left, const std::string& right) {
    return left.size() == right.size() &&
           std::equal(left.begin(), left.end(), right.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
           });
}

}  // namespace

std::string rolledFileName(const std::string& currentName, unsigned number) {
    std::string stem;
    std::string extension;
    splitName(currentName, stem, extension);
    return stem + "." + std::to_string(number) + extension;
}

unsigned rolledFileNumber(const std::string& currentName, const std::string& candidate) {
    std::string stem;
    std::string extension;
    splitName(currentName, stem, extension);
    std::size_t prefix = stem.size() + 1;
    if (candidate.size() <= prefix + extension.size() || !equalIgnoringCase(candidate.substr(0, stem.size()), stem) ||
        candidate[stem.size()] != '.' ||
        !equalIgnoringCase(candidate.substr(candidate.size() - extension.size()), extension)) {
        return 0;
    }
    std::string digits = candidate.substr(prefix, candidate.size() - prefix - extension.size());
    // Digits only, without leading zeros, and small enough: the names this code makes.
    if (digits.size() > 9 || digits[0] == '0' ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return 0;
    }
    return static_cast<unsigned>(std::stoul(digits));
}

unsigned nextRolledFileNumber(const std::vector<unsigned>& numbers) {
    return numbers.empty() ? 1 : *std::max_element(numbers.begin(), numbers.end()) + 1;
}

std::vector<unsigned> rolledFilesBeyond(std::vector<unsigned> numbers, unsigned keep) {
    std::sort(numbers.begin(), numbers.end());
    if (numbers.size() <= keep) {
        return {};
    }
    numbers.resize(numbers.size() - keep);
    return numbers;
}

// Turns spindra-update's --help text into its man page, so the two say the same:
//   help_to_man <help.txt> <udev rule file> <installed rule path> <version>   (page to stdout)
// The help text is a usage line, a one-sentence description, a blank line, the options
// (the term in a column of its own, the description beside it and continued below it), a
// blank line and a paragraph on the exit codes, labelled before its first colon.
#include <cctype>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <regex>
#include <string>
#include <vector>

namespace {

std::vector<std::string> linesOf(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Text as roff reads it: backslashes escaped, option dashes as minus signs (so they can be
// searched and copied), no line taken for a request.
std::string roff(const std::string& text) {
  std::string out;
  bool inOption = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text.compare(i, 2, "--") == 0 && (i == 0 || text[i - 1] == ' ')) inOption = true;
    if (text[i] == ' ') inOption = false;
    if (text[i] == '\\') {
      out += "\\e";
    } else if (text[i] == '-' && inOption) {
      out += "\\-";
    } else {
      out += text[i];
    }
  }
  if (!out.empty() && (out[0] == '.' || out[0] == '\'')) out.insert(0, "\\&");
  return out;
}

// "--lang en|de": the option in bold, its value in italics; "(no options)" as it is.
std::string term(const std::string& text) {
  if (text.compare(0, 2, "--") != 0) return roff(text);
  const std::size_t space = text.find(' ');
  std::string out = "\\fB" + roff(text.substr(0, space)) + "\\fR";
  if (space != std::string::npos) out += " \\fI" + roff(text.substr(space + 1)) + "\\fR";
  return out;
}

std::string trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  return first == std::string::npos ? "" : text.substr(first);
}

bool writePage(const std::vector<std::string>& help, const std::vector<std::string>& rule,
               const std::string& installedRule, const std::string& version) {
  const std::regex usage("Usage: (\\S+) (.*)");
  std::smatch parts;
  if (help.size() < 4 || !std::regex_match(help[0], parts, usage) || !help[2].empty()) return false;
  const std::string program = parts[1], arguments = parts[2];
  std::string upperName;
  for (char c : program) upperName += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));

  std::cout << ".TH " << upperName << " 1 \"\" \"" << program << ' ' << version << "\" \"User Commands\"\n"
            << ".SH NAME\n" << program << " \\- " << roff(help[1]) << '\n'
            << ".SH SYNOPSIS\n.B " << program << '\n' << roff(arguments) << '\n'
            << ".SH OPTIONS\n";
  const std::regex option("  (\\S.*?)  +(\\S.*)");
  std::size_t line = 3;
  for (; line < help.size() && !help[line].empty(); ++line) {
    if (std::regex_match(help[line], parts, option)) {
      std::cout << ".TP\n" << term(parts[1]) << '\n' << roff(parts[2]) << '\n';
    } else {
      std::cout << roff(trimmed(help[line])) << '\n';
    }
  }
  const std::size_t exitCodes = line + 1;
  if (exitCodes >= help.size() || help[exitCodes].find(": ") == std::string::npos) return false;
  std::cout << ".SH EXIT STATUS\n" << roff(help[exitCodes].substr(help[exitCodes].find(": ") + 2)) << '\n';
  for (line = exitCodes + 1; line < help.size(); ++line) std::cout << roff(help[line]) << '\n';

  // The rule's first line is a comment that says what it is for.
  if (rule.empty() || rule[0].compare(0, 2, "# ") != 0) return false;
  const std::size_t colon = rule[0].find(": ");
  const std::string purpose = rule[0].substr(colon == std::string::npos ? 2 : colon + 2);
  std::cout << ".SH FILES\n.TP\n.I " << roff(installedRule) << '\n' << roff(purpose) << '\n';
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: help_to_man <help.txt> <udev rule file> <installed rule path> <version>\n");
    return 2;
  }
  if (!writePage(linesOf(argv[1]), linesOf(argv[2]), argv[3], argv[4])) {
    std::fprintf(stderr, "help_to_man: %s is not laid out as a help text with options and exit codes\n", argv[1]);
    return 1;
  }
  return 0;
}

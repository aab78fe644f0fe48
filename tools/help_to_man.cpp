// Turns spindra-update's --help text into its man page, so the two say the same:
//   help_to_man <help.txt> <cli_texts.def> <udev rule file> <installed rule path> <version>
// (page to stdout). The help text is a usage line, a one-sentence description, a blank line,
// the options (the term in a column of its own, the description beside it and continued below
// it), a blank line and a paragraph on the exit codes, labelled before its first colon. The
// sections only a man page has (its short name, examples, files, see also) are the English side of
// their texts in cli_texts.def.
#include <cctype>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> linesOf(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The English side of CLI_TEXT(name, "..." "...", ...): its adjacent literals, unescaped.
std::string englishText(const std::string& def, const std::string& name) {
  const std::string start = "CLI_TEXT(" + name + ",";
  std::size_t at = def.find(start);
  if (at == std::string::npos) return "";
  at = def.find('"', at + start.size());
  std::string text;
  while (at < def.size() && def[at] == '"') {
    for (++at; at < def.size() && def[at] != '"'; ++at) {
      if (def[at] == '\\') text += def[++at] == 'n' ? '\n' : def[at];
      else text += def[at];
    }
    at = def.find_first_not_of(" \n", at + 1);
  }
  return text;
}

std::vector<std::string> split(const std::string& text) {
  std::istringstream in(text);
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

// Two columns as in --help: each term a tagged paragraph, a line of its own for a term too
// long for the column, continued lines appended.
void writeColumns(const std::vector<std::string>& lines, std::size_t from, std::size_t to,
                  std::string (*termText)(const std::string&)) {
  const std::regex entry("  (\\S.*?)(?:  +(\\S.*))?");
  std::smatch parts;
  for (std::size_t line = from; line < to; ++line) {
    const bool isTerm = lines[line].compare(0, 3, "   ") != 0 && std::regex_match(lines[line], parts, entry);
    if (isTerm) {
      std::cout << ".TP\n" << termText(parts[1]) << '\n';
      if (parts[2].matched) std::cout << roff(parts[2]) << '\n';
    } else {
      std::cout << roff(trimmed(lines[line])) << '\n';
    }
  }
}

std::string command(const std::string& text) { return "\\fB" + roff(text) + "\\fR"; }
std::string file(const std::string& text) { return "\\fI" + roff(text) + "\\fR"; }

// "udev(7), flock(2)" as references man can follow.
void writeSeeAlso(const std::string& references) {
  const std::regex reference("([^ ,(]+)\\(([0-9a-z]+)\\)");
  std::cout << ".SH \"SEE ALSO\"\n";
  const char* separator = "";
  for (std::sregex_iterator it(references.begin(), references.end(), reference), end; it != end; ++it) {
    std::cout << separator << ".BR " << (*it)[1] << " (" << (*it)[2] << ")";
    separator = ",\n";
  }
  std::cout << '\n';
}

bool writePage(const std::vector<std::string>& help, const std::string& def, const std::vector<std::string>& rule,
               const std::string& installedRule, const std::string& version) {
  const std::regex usage("Usage: (\\S+) (.*)");
  std::smatch parts;
  const std::string name = englishText(def, "kManName");
  const std::vector<std::string> examples = split(englishText(def, "kManExamples"));
  const std::vector<std::string> files = split(englishText(def, "kManFiles"));
  const std::string seeAlso = englishText(def, "kManSeeAlso");
  if (name.empty() || examples.empty() || files.empty() || seeAlso.empty()) return false;
  if (help.size() < 4 || !std::regex_match(help[0], parts, usage) || !help[2].empty()) return false;
  const std::string program = parts[1], arguments = parts[2];
  std::string upperName;
  for (char c : program) upperName += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));

  std::cout << ".TH " << upperName << " 1 \"\" \"" << program << ' ' << version << "\" \"User Commands\"\n"
            << ".SH NAME\n" << program << " \\- " << roff(name) << '\n'
            << ".SH SYNOPSIS\n.B " << program << '\n' << roff(arguments) << '\n'
            << ".SH DESCRIPTION\n" << roff(help[1]) << '\n'
            << ".SH OPTIONS\n";
  std::size_t line = 3;
  while (line < help.size() && !help[line].empty()) ++line;
  writeColumns(help, 3, line, term);
  const std::size_t exitCodes = line + 1;
  if (exitCodes >= help.size() || help[exitCodes].find(": ") == std::string::npos) return false;
  std::cout << ".SH EXIT STATUS\n" << roff(help[exitCodes].substr(help[exitCodes].find(": ") + 2)) << '\n';
  for (line = exitCodes + 1; line < help.size(); ++line) std::cout << roff(help[line]) << '\n';
  std::cout << ".SH EXAMPLES\n";
  writeColumns(examples, 0, examples.size(), command);

  // The rule's first line is a comment that says what it is for.
  if (rule.empty() || rule[0].compare(0, 2, "# ") != 0) return false;
  const std::size_t colon = rule[0].find(": ");
  const std::string purpose = rule[0].substr(colon == std::string::npos ? 2 : colon + 2);
  std::cout << ".SH FILES\n.TP\n.I " << roff(installedRule) << '\n' << roff(purpose) << '\n';
  writeColumns(files, 0, files.size(), file);
  writeSeeAlso(seeAlso);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 6) {
    std::fprintf(stderr,
                 "usage: help_to_man <help.txt> <cli_texts.def> <udev rule file> <installed rule path> <version>\n");
    return 2;
  }
  std::ifstream def(argv[2]);
  std::ostringstream defText;
  defText << def.rdbuf();
  if (!writePage(linesOf(argv[1]), defText.str(), linesOf(argv[3]), argv[4], argv[5])) {
    std::fprintf(stderr, "help_to_man: %s is not laid out as a help text with options and exit codes, "
                 "or %s lacks the man page's texts\n", argv[1], argv[2]);
    return 1;
  }
  return 0;
}

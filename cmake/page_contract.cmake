# Writes page_contract.js, the page's and the worker's reading of page_contract.def: frozen
# objects Message, PageElement, Answer and KeptText by the rows' names (Element is the DOM's),
# and the types of message the worker takes from the page.
#   cmake -DDEF=<page_contract.def> -DOUTPUT=<page_contract.js> -P page_contract.cmake
file(STRINGS ${DEF} rows REGEX "^PAGE_(MESSAGE|ELEMENT|ANSWER|KEPT_TEXT)\\(")
set(messages "")
set(to_worker)
set(elements "")
set(answers "")
set(labels "")
set(kept_texts "")
set(string_literal "\"([^\"]*)\"")
foreach(row IN LISTS rows)
  if(row MATCHES "^PAGE_MESSAGE\\(([A-Za-z]+), *${string_literal}, *([A-Za-z]+)\\)")
    string(APPEND messages "  ${CMAKE_MATCH_1}: '${CMAKE_MATCH_2}',\n")
    if(CMAKE_MATCH_3 STREQUAL "ToWorker")
      list(APPEND to_worker "'${CMAKE_MATCH_2}'")
    endif()
  elseif(row MATCHES "^PAGE_ELEMENT\\(([A-Za-z]+), *${string_literal}\\)")
    string(APPEND elements "  ${CMAKE_MATCH_1}: '${CMAKE_MATCH_2}',\n")
  elseif(row MATCHES "^PAGE_KEPT_TEXT\\(([A-Za-z]+), *${string_literal}\\)")
    string(APPEND kept_texts "  ${CMAKE_MATCH_1}: '${CMAKE_MATCH_2}',\n")
  elseif(row MATCHES "^PAGE_ANSWER\\(([A-Za-z]+), *${string_literal}, *${string_literal}\\)")
    string(APPEND answers "  ${CMAKE_MATCH_1}: '${CMAKE_MATCH_2}',\n")
    string(APPEND labels "  '${CMAKE_MATCH_2}': '${CMAKE_MATCH_3}',\n")
  else()
    message(FATAL_ERROR "${DEF}: a row that is none of the contract's: ${row}")
  endif()
endforeach()
list(JOIN to_worker ", " to_worker)
file(WRITE ${OUTPUT}.new "// Written by the build from page_contract.def: the messages of the page and its worker,
// the page's elements, the boxes' answers and the texts the page keeps, by name.
'use strict';

const Message = Object.freeze({
${messages}});
const MessagesToWorker = Object.freeze([${to_worker}]);
const PageElement = Object.freeze({
${elements}});
const Answer = Object.freeze({
${answers}});
// The text target of each answer's label, by the answer's name.
const AnswerLabel = Object.freeze({
${labels}});
// The text targets that are no element: texts the page keeps for what it makes itself.
const KeptText = Object.freeze({
${kept_texts}});
")
file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.new)

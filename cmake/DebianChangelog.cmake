# SPDX-License-Identifier: GPL-3.0-or-later
# Writes the package's changelog in Debian's changelog format from
# CHANGELOG.md, in script mode:
#   cmake -DINPUT=CHANGELOG.md -DOUTPUT=changelog -DPACKAGE=tickwell
#         -DMAINTAINER="Name <address>" -P DebianChangelog.cmake
# CHANGELOG.md has one "## VERSION (YYYY-MM-DD)" or "## VERSION (unreleased)"
# heading a version, newest first, and under it a "- " item a change, whose
# further lines are indented. A released version is dated noon UTC of its day;
# an unreleased one goes to UNRELEASED, dated as the newest released version,
# so that the same file always gives the same changelog.
foreach(variable INPUT OUTPUT PACKAGE MAINTAINER)
    if(NOT DEFINED ${variable})
        message(FATAL_ERROR "DebianChangelog.cmake: ${variable} is not set")
    endif()
endforeach()

# Days since 1970-01-01 of a civil date (the proleptic Gregorian calendar).
function(days_from_civil year month day out)
    if(month LESS_EQUAL 2)
        math(EXPR year "${year} - 1")
    endif()
    math(EXPR era "${year} / 400")
    math(EXPR yoe "${year} - ${era} * 400")
    if(month GREATER 2)
        math(EXPR mp "${month} - 3")
    else()
        math(EXPR mp "${month} + 9")
    endif()
    math(EXPR doy "(153 * ${mp} + 2) / 5 + ${day} - 1")
    math(EXPR doe "${yoe} * 365 + ${yoe} / 4 - ${yoe} / 100 + ${doy}")
    math(EXPR days "${era} * 146097 + ${doe} - 719468")
    set(${out} ${days} PARENT_SCOPE)
endfunction()

function(rfc2822_date iso out)
    if(NOT iso MATCHES "^([0-9][0-9][0-9][0-9])-([0-9][0-9])-([0-9][0-9])$")
        message(FATAL_ERROR "DebianChangelog.cmake: \"${iso}\" is not a date YYYY-MM-DD")
    endif()
    math(EXPR month "${CMAKE_MATCH_2}") # without its leading zero
    math(EXPR day "${CMAKE_MATCH_3}")
    days_from_civil(${CMAKE_MATCH_1} ${month} ${day} days)
    math(EXPR seconds "${days} * 86400 + 43200")
    # string(TIMESTAMP) formats SOURCE_DATE_EPOCH in place of the present.
    set(ENV{SOURCE_DATE_EPOCH} ${seconds})
    string(TIMESTAMP date "%a, %d %b %Y %H:%M:%S +0000" UTC)
    set(${out} "${date}" PARENT_SCOPE)
endfunction()

file(STRINGS ${INPUT} lines ENCODING UTF-8)
set(versions)
set(current "")
foreach(line IN LISTS lines)
    string(REPLACE "`" "" line "${line}")
    if(line MATCHES "^## ([0-9][0-9.]*) \\(([^)]+)\\)$")
        set(current ${CMAKE_MATCH_1})
        list(APPEND versions ${current})
        set(when_${current} "${CMAKE_MATCH_2}")
        set(body_${current} "")
    elseif(line MATCHES "^## ")
        message(FATAL_ERROR "DebianChangelog.cmake: a heading that is not \"## VERSION (DATE or unreleased)\": ${line}")
    elseif(current AND line MATCHES "^- (.*)$")
        string(APPEND body_${current} "  * ${CMAKE_MATCH_1}\n")
    elseif(current AND line MATCHES "^  +(.*)$")
        string(APPEND body_${current} "    ${CMAKE_MATCH_1}\n")
    endif()
endforeach()
if(NOT versions)
    message(FATAL_ERROR "DebianChangelog.cmake: no version in ${INPUT}")
endif()

set(released_date "")
foreach(version IN LISTS versions)
    if(NOT when_${version} STREQUAL "unreleased")
        rfc2822_date(${when_${version}} released_date)
        break()
    endif()
endforeach()
if(NOT released_date)
    message(FATAL_ERROR "DebianChangelog.cmake: no released version in ${INPUT}")
endif()

set(text "")
foreach(version IN LISTS versions)
    if(body_${version} STREQUAL "")
        message(FATAL_ERROR "DebianChangelog.cmake: version ${version} lists no change")
    endif()
    if(when_${version} STREQUAL "unreleased")
        set(distribution UNRELEASED)
        set(date "${released_date}")
    else()
        set(distribution unstable)
        rfc2822_date(${when_${version}} date)
    endif()
    string(APPEND text "${PACKAGE} (${version}) ${distribution}; urgency=medium\n\n"
        "${body_${version}}\n -- ${MAINTAINER}  ${date}\n\n")
endforeach()
string(REGEX REPLACE "\n\n$" "\n" text "${text}")
file(WRITE ${OUTPUT} "${text}")

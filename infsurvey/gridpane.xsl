<?xml version="1.0" encoding="utf-8"?>
<!--
  gridpane.xsl: shows an infsurvey catalogue as one self-contained HTML
  page, a grid with a row per driver grouped by manufacturer.

  XSLT 1.0 without extensions, so xsltproc and the browsers' own XSLT
  engines all run it. Keep it next to a catalogue (the catalogue names it
  by a relative address), or render a page once:
      xsltproc gridpane.xsl catalogue.xml > catalogue.html
  No scripts and nothing fetched: the page carries its own style.
-->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">

  <xsl:output method="html" encoding="UTF-8" indent="no"
              doctype-system="about:legacy-compat"/>

  <!-- Several INF files may name the same manufacturer: one group each. -->
  <xsl:key name="by-name" match="manufacturer" use="@name"/>

  <xsl:template match="/">
    <xsl:apply-templates select="drivers"/>
  </xsl:template>

  <xsl:template match="drivers">
    <xsl:variable name="groups"
        select="manufacturer[generate-id() = generate-id(key('by-name', @name)[1])]"/>
    <html lang="en">
      <head>
        <meta name="viewport" content="width=device-width, initial-scale=1"/>
        <title>Printer drivers in <xsl:value-of select="@location"/></title>
        <style>
          body { margin: 1.5em 2em; font: 15px/1.4 system-ui, "Segoe UI", "DejaVu Sans", sans-serif; color: #1d2330; background: #fff; }
          h1 { margin: 0 0 .6em; font-size: 1.5em; font-weight: 600; }
          .facts { border-collapse: collapse; margin-bottom: .8em; }
          .facts th { text-align: left; font-weight: 600; color: #5a6272; padding: .1em 1.2em .1em 0; vertical-align: top; }
          .facts td { padding: .1em 0; }
          .text { white-space: pre-wrap; overflow-wrap: break-word; }
          .path, .code { font-family: ui-monospace, Consolas, "DejaVu Sans Mono", monospace; font-size: .9em; }
          .prefix { color: #8a91a0; }
          .seg { display: inline-block; max-width: 100%; overflow-wrap: anywhere; }
          .counts { margin: 0 0 1em; color: #5a6272; }
          .counts b { color: #1d2330; }
          .grid { border-collapse: collapse; width: 100%; }
          .grid th { position: sticky; top: 0; background: #e9edf4; text-align: left; font-weight: 600; padding: .45em .7em; border-bottom: 2px solid #b9c2d3; }
          .grid td { padding: .35em .7em; border-bottom: 1px solid #e1e5ec; vertical-align: top; }
          .grid tbody { border-top: 2px solid #b9c2d3; }
          .grid td.manufacturer { font-weight: 600; background: #f6f8fb; }
          .grid td.inf { background: #fbfcfd; }
          .grid tr.driver:hover td.name, .grid tr.driver:hover td.value { background: #fff7d6; }
          .none { color: #8a91a0; font-style: italic; }
        </style>
      </head>
      <body>
        <h1>Printer drivers</h1>
        <table class="facts">
          <tr><th>Folder</th><td class="path text" id="location"><xsl:value-of select="@location"/></td></tr>
          <tr><th>Surveyed</th><td class="text" id="time"><xsl:value-of select="@time"/></td></tr>
          <tr><th>Comment</th><td class="text" id="comment">
            <xsl:call-template name="unpad">
              <xsl:with-param name="text" select="string(comment)"/>
              <xsl:with-param name="head" select="'&#10;'"/>
              <xsl:with-param name="tail" select="'&#10;  '"/>
            </xsl:call-template>
          </td></tr>
        </table>
        <p class="counts">
          <xsl:call-template name="count">
            <xsl:with-param name="n" select="count($groups)"/>
            <xsl:with-param name="one" select="'manufacturer'"/>
            <xsl:with-param name="many" select="'manufacturers'"/>
          </xsl:call-template>
          <xsl:text> · </xsl:text>
          <xsl:call-template name="count">
            <xsl:with-param name="n" select="count(manufacturer)"/>
            <xsl:with-param name="one" select="'INF file'"/>
            <xsl:with-param name="many" select="'INF files'"/>
          </xsl:call-template>
          <xsl:text> · </xsl:text>
          <xsl:call-template name="count">
            <!-- descendant:: walks once; manufacturer/driver would merge
                 a node set per file. -->
            <xsl:with-param name="n" select="count(descendant::driver)"/>
            <xsl:with-param name="one" select="'driver'"/>
            <xsl:with-param name="many" select="'drivers'"/>
          </xsl:call-template>
        </p>
        <table class="grid">
          <thead>
            <tr><th>Manufacturer</th><th>Driver</th><th>INF file</th><th>Driver text</th></tr>
          </thead>
          <xsl:for-each select="$groups">
            <!-- The catalogue keeps the file system's order, which varies:
                 the page sorts groups by name and files by path, and keeps
                 each file's own order of drivers. -->
            <xsl:sort select="@name"/>
            <xsl:variable name="members" select="key('by-name', @name)"/>
            <!-- Counted once per group, not once per file of it. -->
            <xsl:variable name="group-rows"
                select="count($members/driver) + count($members[not(driver)])"/>
            <tbody class="group">
              <xsl:for-each select="$members">
                <xsl:sort select="@filename"/>
                <xsl:apply-templates select="." mode="rows">
                  <xsl:with-param name="group-rows" select="$group-rows"/>
                  <xsl:with-param name="first" select="position() = 1"/>
                </xsl:apply-templates>
              </xsl:for-each>
            </tbody>
          </xsl:for-each>
          <xsl:if test="not(manufacturer)">
            <tbody>
              <tr><td colspan="4" class="none">No printer drivers were found in this folder.</td></tr>
            </tbody>
          </xsl:if>
        </table>
      </body>
    </html>
  </xsl:template>

  <!-- The rows of one INF file: a row per driver, or one row that says
       the file names no drivers. The first row of a group carries the
       manufacturer cell, the first row of a file its INF cell. -->
  <xsl:template match="manufacturer" mode="rows">
    <xsl:param name="group-rows"/>
    <xsl:param name="first"/>
    <xsl:variable name="file" select="."/>
    <xsl:choose>
      <xsl:when test="driver">
        <xsl:for-each select="driver">
          <tr class="driver">
            <xsl:if test="position() = 1">
              <xsl:if test="$first">
                <xsl:apply-templates select="$file" mode="manufacturer-cell">
                  <xsl:with-param name="rows" select="$group-rows"/>
                </xsl:apply-templates>
              </xsl:if>
            </xsl:if>
            <td class="name text"><xsl:value-of select="@name"/></td>
            <xsl:if test="position() = 1">
              <xsl:apply-templates select="$file" mode="inf-cell"/>
            </xsl:if>
            <td class="value code text">
              <xsl:call-template name="unpad">
                <xsl:with-param name="text" select="string(.)"/>
                <xsl:with-param name="head" select="'&#10;       '"/>
                <xsl:with-param name="tail" select="'&#10;    '"/>
              </xsl:call-template>
            </td>
          </tr>
        </xsl:for-each>
      </xsl:when>
      <xsl:otherwise>
        <tr class="empty">
          <xsl:if test="$first">
            <xsl:apply-templates select="." mode="manufacturer-cell">
              <xsl:with-param name="rows" select="$group-rows"/>
            </xsl:apply-templates>
          </xsl:if>
          <td class="none">no drivers</td>
          <xsl:apply-templates select="." mode="inf-cell"/>
          <td></td>
        </tr>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <xsl:template match="manufacturer" mode="manufacturer-cell">
    <xsl:param name="rows"/>
    <td class="manufacturer text" rowspan="{$rows}"><xsl:value-of select="@name"/></td>
  </xsl:template>

  <!-- The surveyed folder begins every path; it is dimmed, not dropped. -->
  <xsl:template match="manufacturer" mode="inf-cell">
    <xsl:variable name="location" select="string(/drivers/@location)"/>
    <td class="inf path text" rowspan="{count(driver) + count(self::*[not(driver)])}">
      <xsl:choose>
        <xsl:when test="$location != '' and starts-with(@filename, $location)">
          <span class="prefix">
            <xsl:call-template name="path">
              <xsl:with-param name="text" select="$location"/>
            </xsl:call-template>
          </span>
          <xsl:call-template name="path">
            <xsl:with-param name="text" select="substring(@filename, string-length($location) + 1)"/>
          </xsl:call-template>
        </xsl:when>
        <xsl:otherwise>
          <xsl:call-template name="path">
            <xsl:with-param name="text" select="@filename"/>
          </xsl:call-template>
        </xsl:otherwise>
      </xsl:choose>
    </td>
  </xsl:template>

  <!-- A path may break after a separator rather than inside a name: each
       part is an inline block, and lines break between those. -->
  <xsl:template name="path">
    <xsl:param name="text"/>
    <xsl:variable name="slash" select="substring-before(concat($text, '/'), '/')"/>
    <xsl:variable name="backslash" select="substring-before(concat($text, '\'), '\')"/>
    <xsl:variable name="part">
      <xsl:choose>
        <xsl:when test="string-length($slash) &lt; string-length($backslash)">
          <xsl:value-of select="$slash"/>
        </xsl:when>
        <xsl:otherwise><xsl:value-of select="$backslash"/></xsl:otherwise>
      </xsl:choose>
    </xsl:variable>
    <xsl:choose>
      <xsl:when test="string-length($part) &lt; string-length($text)">
        <span class="seg"><xsl:value-of select="substring($text, 1, string-length($part) + 1)"/></span>
        <xsl:call-template name="path">
          <xsl:with-param name="text" select="substring($text, string-length($part) + 2)"/>
        </xsl:call-template>
      </xsl:when>
      <xsl:otherwise><span class="seg"><xsl:value-of select="$text"/></span></xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- Element text as the catalogue holds it: the line breaks and indent
       that lay the catalogue out are taken off, nothing else. -->
  <xsl:template name="unpad">
    <xsl:param name="text"/>
    <xsl:param name="head"/>
    <xsl:param name="tail"/>
    <xsl:variable name="rest">
      <xsl:choose>
        <xsl:when test="starts-with($text, $head)">
          <xsl:value-of select="substring($text, string-length($head) + 1)"/>
        </xsl:when>
        <xsl:otherwise><xsl:value-of select="$text"/></xsl:otherwise>
      </xsl:choose>
    </xsl:variable>
    <xsl:variable name="cut" select="string-length($rest) - string-length($tail)"/>
    <xsl:choose>
      <xsl:when test="$cut &gt;= 0 and substring($rest, $cut + 1) = $tail">
        <xsl:value-of select="substring($rest, 1, $cut)"/>
      </xsl:when>
      <xsl:otherwise><xsl:value-of select="$rest"/></xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <xsl:template name="count">
    <xsl:param name="n"/>
    <xsl:param name="one"/>
    <xsl:param name="many"/>
    <b><xsl:value-of select="$n"/></b>
    <xsl:text> </xsl:text>
    <xsl:choose>
      <xsl:when test="$n = 1"><xsl:value-of select="$one"/></xsl:when>
      <xsl:otherwise><xsl:value-of select="$many"/></xsl:otherwise>
    </xsl:choose>
  </xsl:template>

</xsl:stylesheet>

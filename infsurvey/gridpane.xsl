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

  <!-- The surveyed folder begins every path: split into parts once. -->
  <xsl:variable name="location" select="string(/drivers/@location)"/>
  <xsl:variable name="location-parts">
    <xsl:call-template name="path">
      <xsl:with-param name="text" select="$location"/>
    </xsl:call-template>
  </xsl:variable>

  <xsl:template match="/">
    <xsl:apply-templates select="drivers"/>
  </xsl:template>

  <!-- A group is found by the first file of its name; the page is the
       same whichever way that file is found. key() hands back a copy of
       all files of a name, so asking the key of every file whether it
       comes first costs the square of a group's size, which outgrows the
       whole page on large groups. So the first files are found in three
       ways, the cheapest first:
       - among the first 63 files, the first of a name there is its
         first anywhere: a catalogue of a few large groups has them all
         there, and one pass takes their files off;
       - a name with more files than 4 times the square root of the files
         left is taken off by one more pass (about 18 times what one
         file's copy from the key costs per file);
       - the names left, with few files each, are told by the key. -->
  <xsl:template match="drivers">
    <xsl:variable name="seen"
        select="manufacturer[64]/preceding-sibling::manufacturer[@name]
                [not(@name = preceding-sibling::manufacturer/@name)]/@name"/>
    <xsl:call-template name="groups">
      <xsl:with-param name="rest" select="manufacturer[@name][not(@name = $seen)]"/>
      <xsl:with-param name="found" select="$seen/.."/>
    </xsl:call-template>
  </xsl:template>

  <!-- Takes off the large groups left, then writes the page. -->
  <xsl:template name="groups">
    <xsl:param name="rest"/>
    <xsl:param name="found"/>
    <xsl:variable name="name" select="string($rest[1]/@name)"/>
    <xsl:choose>
      <xsl:when test="$rest and count(key('by-name', $name)) * count(key('by-name', $name))
                      &gt; 16 * count($rest)">
        <xsl:call-template name="groups">
          <xsl:with-param name="rest" select="$rest[@name != $name]"/>
          <xsl:with-param name="found" select="$found | $rest[1]"/>
        </xsl:call-template>
      </xsl:when>
      <xsl:otherwise>
        <xsl:call-template name="page">
          <xsl:with-param name="groups" select="$found |
              $rest[generate-id() = generate-id(key('by-name', string(@name))[1])]"/>
        </xsl:call-template>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <xsl:template name="page">
    <xsl:param name="groups"/>
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
            <tbody class="group">
              <xsl:for-each select="key('by-name', @name)">
                <xsl:sort select="@filename"/>
                <xsl:call-template name="rows"/>
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
       manufacturer cell (position() is the file's place in its sorted
       group, which call-template keeps), the first row of a file its INF
       cell. -->
  <xsl:template name="rows">
    <xsl:choose>
      <xsl:when test="driver">
        <tr class="driver">
          <xsl:if test="position() = 1"><xsl:call-template name="manufacturer-cell"/></xsl:if>
          <td class="name text"><xsl:value-of select="driver[1]/@name"/></td>
          <xsl:call-template name="inf-cell"/>
          <xsl:for-each select="driver[1]"><xsl:call-template name="value-cell"/></xsl:for-each>
        </tr>
        <xsl:for-each select="driver[1]/following-sibling::driver">
          <tr class="driver">
            <td class="name text"><xsl:value-of select="@name"/></td>
            <xsl:call-template name="value-cell"/>
          </tr>
        </xsl:for-each>
      </xsl:when>
      <xsl:otherwise>
        <tr class="empty">
          <xsl:if test="position() = 1"><xsl:call-template name="manufacturer-cell"/></xsl:if>
          <td class="none">no drivers</td>
          <xsl:call-template name="inf-cell"/>
          <td></td>
        </tr>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- The driver text without the line breaks and indent that lay the
       catalogue out. The form the catalogue always has is cut out at
       once: each string operation here costs about a tenth of the whole
       row, so the general template serves only the other forms. -->
  <xsl:template name="value-cell">
    <td class="value code text">
      <xsl:choose>
        <xsl:when test="starts-with(., '&#10;       ')
                        and substring(., string-length() - 4) = '&#10;    '">
          <xsl:value-of select="substring(., 9, string-length() - 13)"/>
        </xsl:when>
        <xsl:otherwise>
          <xsl:call-template name="unpad">
            <xsl:with-param name="text" select="string(.)"/>
            <xsl:with-param name="head" select="'&#10;       '"/>
            <xsl:with-param name="tail" select="'&#10;    '"/>
          </xsl:call-template>
        </xsl:otherwise>
      </xsl:choose>
    </td>
  </xsl:template>

  <!-- Spans the rows of the whole group: counted once, in its first row. -->
  <xsl:template name="manufacturer-cell">
    <td class="manufacturer text"
        rowspan="{count(key('by-name', @name)/driver) + count(key('by-name', @name)[not(driver)])}">
      <xsl:value-of select="@name"/>
    </td>
  </xsl:template>

  <!-- The surveyed folder begins every path; it is dimmed, not dropped. -->
  <xsl:template name="inf-cell">
    <td class="inf path text" rowspan="{count(driver) + not(driver)}">
      <xsl:choose>
        <xsl:when test="$location != '' and starts-with(@filename, $location)">
          <span class="prefix"><xsl:copy-of select="$location-parts"/></span>
          <xsl:call-template name="path">
            <xsl:with-param name="text" select="substring-after(@filename, $location)"/>
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
    <xsl:choose>
      <!-- The common rest of an INF path, folder/file, without a call. -->
      <xsl:when test="contains($text, '/') and not(contains($text, '\'))
                      and not(contains(substring-after($text, '/'), '/'))">
        <span class="seg"><xsl:value-of select="substring-before($text, '/')"/>/</span>
        <span class="seg"><xsl:value-of select="substring-after($text, '/')"/></span>
      </xsl:when>
      <xsl:when test="contains($text, '/') and not(contains(substring-before($text, '/'), '\'))">
        <span class="seg"><xsl:value-of select="substring-before($text, '/')"/>/</span>
        <xsl:call-template name="path">
          <xsl:with-param name="text" select="substring-after($text, '/')"/>
        </xsl:call-template>
      </xsl:when>
      <xsl:when test="contains($text, '\')">
        <span class="seg"><xsl:value-of select="substring-before($text, '\')"/>\</span>
        <xsl:call-template name="path">
          <xsl:with-param name="text" select="substring-after($text, '\')"/>
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
    <!-- Where the text after the head begins, and how long it is. -->
    <xsl:variable name="from" select="1 + string-length($head) * starts-with($text, $head)"/>
    <xsl:variable name="cut" select="string-length($text) + 1 - $from - string-length($tail)"/>
    <xsl:choose>
      <xsl:when test="$cut &gt;= 0 and substring($text, $from + $cut) = $tail">
        <xsl:value-of select="substring($text, $from, $cut)"/>
      </xsl:when>
      <xsl:otherwise><xsl:value-of select="substring($text, $from)"/></xsl:otherwise>
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

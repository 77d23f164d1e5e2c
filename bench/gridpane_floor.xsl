<?xml version="1.0" encoding="utf-8"?>
<!-- The floor for gridpane.xsl: the same catalogue to an HTML table with a
     row per driver and the same cells, but no grouping, sorting, row spans
     or trimming. What gridpane.xsl costs beyond this is its own work. -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:output method="html" encoding="UTF-8"/>
  <xsl:template match="/drivers">
    <html><body><table>
      <xsl:for-each select="manufacturer">
        <tbody>
          <xsl:for-each select="driver">
            <tr><td><xsl:value-of select="../@name"/></td>
                <td><xsl:value-of select="@name"/></td>
                <td><xsl:value-of select="../@filename"/></td>
                <td><xsl:value-of select="."/></td></tr>
          </xsl:for-each>
        </tbody>
      </xsl:for-each>
    </table></body></html>
  </xsl:template>
</xsl:stylesheet>

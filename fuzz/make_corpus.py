#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Writes the seed inputs of the fuzz targets into corpus/<target>/.

Each seed is a small input made here, so that the corpus can be made again
from this file alone: `python3 fuzz/make_corpus.py`. Inputs that once made a
target fail are added by hand next to them (named after what they found)
and are never rewritten by this script. The comparison and keyword seeds
predate the script and are kept as they are.
"""
import gzip
import io
import os
import struct
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))

RELS = (b'<?xml version="1.0"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/'
        b'relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/'
        b'2006/relationships/officeDocument" Target="word/document.xml"/></Relationships>')
W = b'xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main"'
DOCX_BODY = (b'<?xml version="1.0"?><w:document ' + W + b'><w:body>'
             b'<w:p><w:r><w:rPr><w:b/></w:rPr><w:t>Bold</w:t></w:r><w:r><w:tab/><w:t xml:space="preserve"> cat </w:t>'
             b'</w:r><w:r><w:br/><w:t>sat.</w:t></w:r></w:p>'
             b'<w:tbl><w:tr><w:tc><w:p><w:r><w:rPr><w:i/><w:u w:val="single"/><w:strike/></w:rPr><w:t>cell</w:t>'
             b'</w:r></w:p></w:tc></w:tr></w:tbl>'
             b'<w:p><w:del><w:r><w:delText>gone</w:delText></w:r></w:del><w:ins><w:r><w:t>new</w:t></w:r></w:ins>'
             b'<w:r><w:fldChar w:fldCharType="begin"/></w:r><w:r><w:instrText>PAGE</w:instrText></w:r>'
             b'<w:r><w:fldChar w:fldCharType="end"/></w:r></w:p></w:body></w:document>')
ODT_NS = (b'xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" '
          b'xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" '
          b'xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0" '
          b'xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0" '
          b'xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"')
ODT_BODY = (b'<?xml version="1.0"?><office:document-content ' + ODT_NS + b'><office:automatic-styles>'
            b'<style:style style:name="T1" style:family="text"><style:text-properties fo:font-weight="bold"/>'
            b'</style:style></office:automatic-styles><office:body><office:text>'
            b'<text:h>Title</text:h><text:p>The  <text:span text:style-name="T1">cat</text:span>'
            b'<text:s text:c="3"/>sat<text:tab/>on<text:line-break/>the mat.</text:p>'
            b'<table:table><table:table-row><table:table-cell><text:p>cell</text:p></table:table-cell>'
            b'</table:table-row></table:table><text:list><text:list-item><text:p>item</text:p></text:list-item>'
            b'</text:list><text:p><text:note><text:note-body><text:p>note</text:p></text:note-body></text:note>'
            b'</text:p></office:text></office:body></office:document-content>')
ODT_MIME = b'application/vnd.oasis.opendocument.text'


def zipped(parts, method=zipfile.ZIP_DEFLATED):
    out = io.BytesIO()
    with zipfile.ZipFile(out, 'w') as z:
        for name, data in parts:
            info = zipfile.ZipInfo(name, date_time=(2020, 1, 1, 0, 0, 0))
            info.compress_type = zipfile.ZIP_STORED if name == 'mimetype' else method
            z.writestr(info, data)
    return out.getvalue()


def docx(body=DOCX_BODY):
    return zipped([('_rels/.rels', RELS), ('word/document.xml', body)])


def odt(body=ODT_BODY):
    return zipped([('mimetype', ODT_MIME), ('content.xml', body)])


RTF = (rb'{\rtf1\ansi\ansicpg1252\deff0{\fonttbl{\f0 Arial;}{\f1\fcharset128 MS Gothic;}}'
       rb'{\colortbl;\red255\green0\blue0;\red0\green0\blue255;}'
       rb'{\info{\title x}}\pard\plain Hello \b bold\b0 , \i italic\i0 \ul under\ulnone \strike s\strike0 '
       rb'\cf1 red\cf0 \highlight2 back\highlight0 \par'
       rb'caf\'e9 \u8364? \uc2\u8212 ab \emdash\lquote\~x\tab y\line z{\v hidden}'
       rb'{\field{\*\fldinst HYPERLINK "x"}{\fldrslt shown}}{\*\unknown skipped}'
       rb'{\f1 \'82\'a0}\trowd\cellx100 cell\cell\row\par}')

SEEDS = {
    'text_decoder': {
        'ascii': b'The cat sat on the mat.\r\n',
        'utf8': 'caf\u00e9 \u2019 \u2013 \U0001F600\n'.encode(),
        'utf8-bom': b'\xef\xbb\xbfbom\n',
        'utf16le': '\ufeffle text'.encode('utf-16-le'),
        'utf16be': '\ufeffbe text'.encode('utf-16-be'),
        'utf16-lone-surrogate': b'\xff\xfe' + b'a\x00\x00\xd8b\x00',
        'windows1252': b'\x93quoted\x94 \x92 \x96 \xa0end',
        'overlong': b'\xc0\xaf \xed\xa0\x80 \xf4\x90\x80\x80',
        'truncated-utf8': b'abc\xe2\x82',
    },
    'rtf': {
        'word': RTF,
        'truncated': RTF[:len(RTF) // 2],
        'nested': b'{\\rtf1' + b'{' * 40 + b'deep' + b'}' * 40 + b'}',
        'unicode-pairs': rb'{\rtf1\uc0\u-10179\u-8704 \u55357 x\u-1\u99999999999}',
        'code-pages': rb'{\rtf1\ansi\ansicpg932{\fonttbl{\f0\fcharset134 S;}}\f0 \'b0\'a1\cpg950 \'a4\'40}',
        'binary': rb'{\rtf1 a{\*\picprop}{\pict\bin4 ' + b'\x00\x01\x02\x03' + rb'}b\par}',
    },
    'zip': {
        'docx': docx(),
        'odt': odt(),
        'docx-stored': zipped([('_rels/.rels', RELS), ('word/document.xml', DOCX_BODY)], zipfile.ZIP_STORED),
        'docx-no-part': zipped([('_rels/.rels', RELS)]),
        'not-a-document': zipped([('a.txt', b'text')]),
        'docx-part': b'\x00' + DOCX_BODY,
        'odt-part': b'\x01' + ODT_BODY,
        'docx-entities': b'\x00<?xml version="1.0"?><!DOCTYPE w:document [<!ENTITY a "lol">]><w:document ' + W
                         + b'><w:body><w:p><w:r><w:t>&a;&amp;&#65;</w:t></w:r></w:p></w:body></w:document>',
    },
    'article': {
        'text': b'The cat sat on the mat.\r\nA dog.\r\n',
        'utf16': '\ufeffUTF-16 text\r\n'.encode('utf-16-le'),
        'rtf': RTF[:200] + b'}',
        'docx': docx(),
        'odt': odt(),
        'pdf-damaged': b'%PDF-1.4\n1 0 obj<<>>endobj\ntrailer<<>>\n%%EOF\n',
        'not-text': bytes(range(0, 40)),
        'path-doc': b'C:\\Letters\\NOTES.DOC.txt',
    },
    'profile': {
        'settings': (b'[Settings]\r\nAppName = \'Ann Checker\'\r\nAfiliateID=abc\r\nBannerPath1=C:\\ads\\a.gif\r\n'
                     b'BannerURL1="https://ads.test/?a=1&b=\'2\'"\r\nLink1URL=https://one.test/\r\nLink1Name=One\r\n'),
        'bom-and-1252': b'\xef\xbb\xbf[settings]\nappname=caf\xc3\xa9\n[Settings]\nAppName=second\n',
        'windows1252': b'[Settings]\nAppName=\x93Quoted\x94\nIconPath=\tC:\\x\\icon.ico \n',
        'utf16': '\ufeff[Settings]\r\nAppName=wide\r\n'.encode('utf-16-le'),
        'odd-lines': b'key=before\n[Settings\nAppName\n=nothing\n[]\n[ Settings ]\nAppName="\n',
    },
    'configuration': {
        'full': b'\x07\x05[Settings]\nAppName=x\nBannerPath1=a.gif\nBannerPath2=b.jpg\nLink1URL=u1\nLink2URL=u2\n'
                b'Link3URL=u3\nLink4URL=u4\nLink4Name=four\nIconPath=C:\\i\\glenvary.ico\n'
                + gzip.compress(b'QWidget { color: red; }', mtime=0),
        'bare': b'\x00\x00[Settings]\n',
        'one-link': b'\x02\xff[Settings]\nBannerPath3=c.png\nBannerURL3=https://b.test/\nLink2URL=only\n',
        'garbage': b'\x01\x80\x00\x01\x02[Settings]\x00AppName=\xff\xfe\n\x1f\x8bnot gzip',
    },
    'skin': {
        'style': gzip.compress(b'QPushButton { padding: 0; }\n', mtime=0),
        'two-members': gzip.compress(b'a {}', mtime=0) + gzip.compress(b'b {}', mtime=0),
        'windows1252': gzip.compress(b'/* caf\xe9 */', mtime=0),
        'truncated': gzip.compress(b'QLabel { color: blue; }', mtime=0)[:-6],
        'trailing': gzip.compress(b'x', mtime=0) + b'junk',
        'not-gzip': b'QWidget {}',
    },
    'cli_args': {
        'compare': b'compare\x00--unit\x00sentences\x00--min\x003\x00--format\x00json\x00-o\x00out\x00a\x00b',
        'density': b'density\x00--keyword\x00the cat\x00--format=json\x00-',
        'help': b'--help',
        'version': b'--version',
        'unknown': b'frobnicate\x00x',
        'bad-min': b'compare\x00--min\x00-1\x00a\x00b',
        'huge-min': b'compare\x00--min\x0099999999999\x00a\x00b',
        'empty': b'',
        'dash-dash': b'compare\x00--\x00-a\x00--b',
    },
}


def main():
    for target, seeds in SEEDS.items():
        folder = os.path.join(HERE, 'corpus', target)
        os.makedirs(folder, exist_ok=True)
        for name, data in seeds.items():
            with open(os.path.join(folder, name), 'wb') as f:
                f.write(data)


if __name__ == '__main__':
    main()

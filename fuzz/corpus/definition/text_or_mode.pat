patch:Text
description:A text.
param:text|abc
location:or|AABB,CCDD

patch:Leading blank
description:An indented key.
 param:num|1
	location:AABB
param:num|2
location:AABB
